# The two commands of the README. Each is complete on a fresh Debian 12 machine.
PRESET ?= dev
BUILD_DIR = build/$(PRESET)

.PHONY: deps configure build test demo run clean

deps:
	./scripts/install-deps

configure: deps
	cmake --preset $(PRESET) >/dev/null

build: configure
	cmake --build --preset $(PRESET)

test: build
	./scripts/test-session ctest --preset $(PRESET)

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
