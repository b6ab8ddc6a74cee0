# Entry points for people and CI. Every target first installs what is missing.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS = -DCMAKE_BUILD_TYPE=RelWithDebInfo --log-level=WARNING -Wno-dev

NATIVE = $(BUILD)/native
WIN64 = $(BUILD)/win64
WIN32 = $(BUILD)/win32
FUZZ = $(BUILD)/fuzz
FUZZ_SECONDS ?= 180

# Where the Windows suites run, probed by every run:
#   win32 - 32-bit programs run here: every suite on the shipped 32-bit
#           melvox.dll under wine32, then the journeys and the demo once more
#           on the shipped x64 melvox.dll under wine64, against the same
#           goldens (so a transcript holding anything that differs between the
#           two builds fails here, not on the next machine);
#   win64 - they do not (or `make test WINTEST=win64`): every suite on the
#           shipped x64 melvox.dll under wine64; the 32-bit DLL is built and
#           checked (PE header, exports, record size asserts), not run.
WINTEST ?=
WINTEST_FILE = $(BUILD)/wintest
TESTTREE = $(BUILD)/$$(cat $(WINTEST_FILE))
# What the x64 tree builds when the suites run in win32: the journeys and the
# demo, with the DLL, its language files and the stand-ins they load.
WIN64_ALSO = journey_tests melvox_demo
WIN64_ALSO_TESTS = '^(journeys|mpg123_reads_saved_playlists|demo)$$'

.PHONY: all deps probe configure build test demo dist bench soak clean fuzz fuzz-build

all: build

deps:
	@scripts/setup.sh

probe: deps
	@mkdir -p $(BUILD)
	@if [ -n "$(WINTEST)" ]; then echo $(WINTEST) > $(WINTEST_FILE); \
	elif scripts/probe-wine32.sh $(WIN32)/wineprefix $(BUILD)/probe32; then echo win32 > $(WINTEST_FILE); \
	else echo win64 > $(WINTEST_FILE); fi

# Both DLLs are shipped, so both are always built; the stand-ins and test
# programs of a tree only where they can run.
configure: probe
	@cmake -S . -B $(NATIVE) $(CMAKE_FLAGS) -DMELVOX_SHIPPED_DLL32=$(abspath $(WIN32))/src/melvox.dll \
	  -DMELVOX_SHIPPED_DLL64=$(abspath $(WIN64))/src/melvox.dll >/dev/null
	@if [ "$$(cat $(WINTEST_FILE))" = win32 ]; then tests32=ON; else tests32=OFF; fi; \
	cmake -S . -B $(WIN32) $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DMELVOX_TESTS=$$tests32 >/dev/null && \
	cmake -S . -B $(WIN64) $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DMELVOX_TESTS=ON >/dev/null

build: configure
	@cmake --build $(NATIVE) -j $(JOBS) -- --no-print-directory -s
	@cmake --build $(WIN32) -j $(JOBS) -- --no-print-directory -s
	@if [ "$$(cat $(WINTEST_FILE))" = win32 ]; then \
	  cmake --build $(WIN64) -j $(JOBS) --target $(WIN64_ALSO) -- --no-print-directory -s; \
	else cmake --build $(WIN64) -j $(JOBS) -- --no-print-directory -s; fi

test: build fuzz-build
	@ctest --test-dir $(NATIVE) --output-on-failure
	@if [ "$$(cat $(WINTEST_FILE))" = win32 ]; then \
	  echo "make test: 32-bit build: every Windows suite on the 32-bit melvox.dll under wine32" && \
	  ctest --test-dir $(WIN32) --output-on-failure && \
	  echo "make test: 64-bit build: the journeys and the demo on the x64 melvox.dll under wine64" && \
	  ctest --test-dir $(WIN64) --output-on-failure -R $(WIN64_ALSO_TESTS); \
	else \
	  echo "make test: the 32-bit melvox.dll was built and checked (PE header, exports, record size asserts) but not run: $(if $(WINTEST),WINTEST=$(WINTEST),32-bit programs do not run here)" && \
	  echo "make test: 64-bit build: every Windows suite on the x64 melvox.dll under wine64" && \
	  ctest --test-dir $(WIN64) --output-on-failure; \
	fi
	@scripts/fuzz.sh $(FUZZ) smoke

demo: build
	@scripts/demo.sh $(TESTTREE)

dist: build
	@scripts/dist.sh $(WIN32) $(WIN64) $(BUILD)/dist

bench: build
	@scripts/bench.sh $(TESTTREE)

# Long runs, one step after another; each is given the Windows build's folder
# and must exit 0.
SOAK_STEPS = scripts/soak.sh scripts/death-matrix.sh

soak: build
	@for step in $(SOAK_STEPS); do $$step $(TESTTREE) || exit 1; done

# libFuzzer harnesses (clang, ASan and UBSan) in their own build; make fuzz
# runs each for FUZZ_SECONDS, make test runs the short smoke above.
fuzz-build: deps
	@cmake -S . -B $(FUZZ) $(CMAKE_FLAGS) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DMELVOX_TESTS=OFF -DMELVOX_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ) -j $(JOBS) --target melvox_fuzzers -- --no-print-directory -s

fuzz: fuzz-build
	@scripts/fuzz.sh $(FUZZ) long $(FUZZ_SECONDS)

clean:
	@for b in $(WIN64) $(WIN32); do \
	  if [ -d $$b/wineprefix ]; then scripts/wine-run.sh --prefix $$b/wineprefix --stop; fi; \
	done
	rm -rf $(BUILD)
