# The two commands of the README. Each is complete on a fresh Debian 12 machine.
PRESET ?= dev
BUILD_DIR = build/$(PRESET)

.PHONY: deps configure build test clean

deps:
	./scripts/install-deps

configure: deps
	cmake --preset $(PRESET) >/dev/null

build: configure
	cmake --build --preset $(PRESET)

test: build
	./scripts/test-session ctest --preset $(PRESET)

clean:
	rm -rf build
