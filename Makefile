# The two commands of the README. Each is complete on a fresh Debian 12 machine.
PRESET ?= dev
BUILD_DIR = build/$(PRESET)

.PHONY: deps configure build test check-sanitizers demo run clean

deps:
	./scripts/install-deps

configure: deps
	cmake --preset $(PRESET) >/dev/null

build: configure
	cmake --build --preset $(PRESET)

# Sanitizer presets write their findings down instead of stopping at the first one;
# check-reports then fails on every finding that is not in a library we do not own.
test: build
	rm -f $(BUILD_DIR)/sanitizer-report.*
	status=0; ./scripts/test-session ctest --preset $(PRESET) || status=$$?; \
	./tests/sanitizers/check-reports $(BUILD_DIR)/sanitizer-report || status=1; \
	exit $$status

# The unit and engine tests under the address and undefined-behaviour sanitizers, then the
# engine layer and the RTSP bridge under the thread sanitizer.
check-sanitizers:
	$(MAKE) test PRESET=asan
	$(MAKE) test PRESET=tsan

# Opens the window playing generated sample clips of several shapes.
demo: configure
	cmake --build --preset $(PRESET) --target marquetrix
	./scripts/demo $(BUILD_DIR)

# Opens the window with what ARGS names: make run ARGS='clip.mp4 rtsp://camera/stream'
run: configure
	cmake --build --preset $(PRESET) --target marquetrix
	$(BUILD_DIR)/src/app/marquetrix $(ARGS)

clean:
	rm -rf build
