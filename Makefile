# Entry points for people and CI. Every target first installs what is missing.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS = -DCMAKE_BUILD_TYPE=RelWithDebInfo --log-level=WARNING -Wno-dev

NATIVE = $(BUILD)/native
WIN64 = $(BUILD)/win64
WIN32 = $(BUILD)/win32
FUZZ = $(BUILD)/fuzz
FUZZ_SECONDS ?= 180

.PHONY: all deps configure build test demo dist bench clean fuzz fuzz-build

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

test: build fuzz-build
	@ctest --test-dir $(NATIVE) --output-on-failure
	@ctest --test-dir $(WIN64) --output-on-failure
	@scripts/fuzz.sh $(FUZZ) smoke

demo: build
	@scripts/demo.sh $(WIN64)

dist: build
	@scripts/dist.sh $(WIN32) $(BUILD)/dist

bench: build
	@scripts/bench.sh $(WIN64)

# libFuzzer harnesses (clang, ASan and UBSan) in their own build; make fuzz
# runs each for FUZZ_SECONDS, make test runs the short smoke above.
fuzz-build: deps
	@cmake -S . -B $(FUZZ) $(CMAKE_FLAGS) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DMELVOX_TESTS=OFF -DMELVOX_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ) -j $(JOBS) --target melvox_fuzzers -- --no-print-directory -s

fuzz: fuzz-build
	@scripts/fuzz.sh $(FUZZ) long $(FUZZ_SECONDS)

clean:
	@if [ -d $(WIN64)/wineprefix ]; then scripts/wine-run.sh --prefix $(WIN64)/wineprefix --stop; fi
	rm -rf $(BUILD)
