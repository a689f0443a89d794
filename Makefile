# The two commands of the README. Each is complete on a fresh Debian 12 machine.
PRESET ?= dev
BUILD_DIR = build/$(PRESET)

.PHONY: deps configure build test check-sanitizers coverage package demo run translations fuzz clean

deps:
	./scripts/install-deps

configure: deps
	cmake --preset $(PRESET) >/dev/null

build: configure
	cmake --build --preset $(PRESET)

# Sanitizer presets write their findings down instead of stopping at the first one;
# check-reports then fails on every finding that is not in a library we do not own.
# The failed checks are repeated last: a long test's log buries them, and a log cut short
# for display keeps its end.
test: build
	rm -f $(BUILD_DIR)/sanitizer-report.*
	status=0; ./scripts/test-session ctest --preset $(PRESET) || status=$$?; \
	./tests/sanitizers/check-reports $(BUILD_DIR)/sanitizer-report || status=1; \
	[ $$status -eq 0 ] || grep -h -A1 '^FAIL!' $(BUILD_DIR)/Testing/Temporary/LastTest.log || true; \
	exit $$status

# The unit and engine tests under the address and undefined-behaviour sanitizers, then the
# engine layer and the RTSP bridge under the thread sanitizer.
check-sanitizers:
	$(MAKE) test PRESET=asan
	$(MAKE) test PRESET=tsan

# Line coverage of src/ and tools/ by the whole suite, as a summary (a failing test still
# counts what it ran). lcov rather than gcovr: Debian 12's gcovr 5.2 stops on this tree (it
# cannot merge the same inline function seen at different lines in two objects).
COVERAGE_INFO = build/coverage/coverage.info

coverage:
	$(MAKE) configure PRESET=coverage
	cmake --build --preset coverage
	find build/coverage -name '*.gcda' -delete
	./scripts/test-session ctest --preset coverage || true
	lcov --quiet --capture --directory build/coverage --base-directory build/coverage \
	    --ignore-errors gcov,source,graph --output-file $(COVERAGE_INFO) 2>/dev/null
	lcov --quiet --extract $(COVERAGE_INFO) "$(CURDIR)/src/*" "$(CURDIR)/tools/*" \
	    --output-file $(COVERAGE_INFO)
	lcov --quiet --remove $(COVERAGE_INFO) '*_autogen/*' '*/.rcc/*' --output-file $(COVERAGE_INFO)
	lcov --summary $(COVERAGE_INFO)

# The Debian package, build/$(PRESET)/marquetrix_<version>_amd64.deb.
package: build
	cd $(BUILD_DIR) && cpack

# Opens the window playing generated sample clips of several shapes.
demo: configure
	cmake --build --preset $(PRESET) --target marquetrix
	./scripts/demo $(BUILD_DIR)

# Opens the window with what ARGS names: make run ARGS='clip.mp4 rtsp://camera/stream'
run: configure
	cmake --build --preset $(PRESET) --target marquetrix
	$(BUILD_DIR)/src/app/marquetrix $(ARGS)

# Brings translations/*.ts up to date with the texts of the C++ and QML; new texts come in
# unfinished, for a translator to fill in (Qt Linguist or any text editor).
translations: configure
	cmake --build --preset $(PRESET) --target update_translations

# Builds the fuzz preset and runs each libFuzzer target for FUZZ_SECONDS, starting from the
# seeds in tests/fuzz/corpus/; what they find is kept in build/fuzz/findings/.
FUZZ_SECONDS ?= 60
FUZZERS = pagereader resolverrequest linkrules appcast layoutcommand rtsptimeline playlist

fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz
	set -e; for f in $(FUZZERS); do \
	    mkdir -p build/fuzz/corpus/$$f build/fuzz/findings/$$f; \
	    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 build/fuzz/tests/fuzz/fuzz_$$f \
	        -max_total_time=$(FUZZ_SECONDS) -timeout=10 -close_fd_mask=1 -print_final_stats=1 \
	        -artifact_prefix=build/fuzz/findings/$$f/ build/fuzz/corpus/$$f tests/fuzz/corpus/$$f; \
	done

clean:
	rm -rf build
