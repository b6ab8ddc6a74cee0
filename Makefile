# Entry points for people and CI. Every target first installs what is missing.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS = -DCMAKE_BUILD_TYPE=RelWithDebInfo --log-level=WARNING -Wno-dev

NATIVE = $(BUILD)/native
WIN64 = $(BUILD)/win64
WIN32 = $(BUILD)/win32

.PHONY: all deps configure build test demo dist bench clean

all: build

deps:
	@scripts/setup.sh

configure: deps
	@cmake -S . -B $(NATIVE) $(CMAKE_FLAGS) >/dev/null
	@cmake -S . -B $(WIN64) $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null
	@cmake -S . -B $(WIN32) $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	  -DMELVOX_TESTS=OFF >/dev/null

build: configure
	@cmake --build $(NATIVE) -j $(JOBS) -- --no-print-directory -s
	@cmake --build $(WIN64) -j $(JOBS) -- --no-print-directory -s
	@cmake --build $(WIN32) -j $(JOBS) -- --no-print-directory -s

test: build
	@ctest --test-dir $(NATIVE) --output-on-failure
	@ctest --test-dir $(WIN64) --output-on-failure

demo: build
	@scripts/demo.sh $(WIN64)

dist: build
	@scripts/dist.sh $(WIN32) $(BUILD)/dist

bench: build
	@scripts/bench.sh $(WIN64)

clean:
	@if [ -d $(WIN64)/wineprefix ]; then scripts/wine-run.sh --prefix $(WIN64)/wineprefix --stop; fi
	rm -rf $(BUILD)
