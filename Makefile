# Entry points for people and CI. Every target first installs what is missing.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS = -DCMAKE_BUILD_TYPE=RelWithDebInfo --log-level=WARNING -Wno-dev

NATIVE = $(BUILD)/native
WIN64 = $(BUILD)/win64
WIN32 = $(BUILD)/win32
FUZZ = $(BUILD)/fuzz
FUZZ_SECONDS ?= 180

# Which build the Windows tests run in: win32 (the shipped 32-bit code under
# wine32) where 32-bit Windows programs run here, else win64 (its x86_64
# twin under wine64). Probed by every run; `make test WINTEST=win64` forces one.
WINTEST ?=
WINTEST_FILE = $(BUILD)/wintest

.PHONY: all deps probe configure build test demo dist bench soak clean fuzz fuzz-build

all: build

deps:
	@scripts/setup.sh

probe: deps
	@mkdir -p $(BUILD)
	@if [ -n "$(WINTEST)" ]; then echo $(WINTEST) > $(WINTEST_FILE); \
	elif scripts/probe-wine32.sh $(WIN32)/wineprefix $(BUILD)/probe32; then echo win32 > $(WINTEST_FILE); \
	else echo win64 > $(WINTEST_FILE); fi

# The shipped plug-in is always built for i686; the tests, the stand-ins and
# the emulator go into one Windows tree only: two cores, CI time.
configure: probe
	@cmake -S . -B $(NATIVE) $(CMAKE_FLAGS) -DMELVOX_SHIPPED_DLL=$(abspath $(WIN32))/src/melvox.dll >/dev/null
	@if [ "$$(cat $(WINTEST_FILE))" = win32 ]; then \
	  cmake -S . -B $(WIN32) $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DMELVOX_TESTS=ON >/dev/null; \
	else \
	  cmake -S . -B $(WIN64) $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null && \
	  cmake -S . -B $(WIN32) $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DMELVOX_TESTS=OFF >/dev/null; \
	fi

build: configure
	@cmake --build $(NATIVE) -j $(JOBS) -- --no-print-directory -s
	@if [ "$$(cat $(WINTEST_FILE))" = win64 ]; then cmake --build $(WIN64) -j $(JOBS) -- --no-print-directory -s; fi
	@cmake --build $(WIN32) -j $(JOBS) -- --no-print-directory -s

test: build fuzz-build
	@ctest --test-dir $(NATIVE) --output-on-failure
	@if [ "$$(cat $(WINTEST_FILE))" = win32 ]; then \
	  echo "make test: the Windows tests run the shipped 32-bit build (i686) under wine32"; \
	elif [ -n "$(WINTEST)" ]; then \
	  echo "make test: the Windows tests run the x86_64 twin under wine64 (WINTEST=$(WINTEST))"; \
	else \
	  echo "make test: 32-bit Windows programs do not run here; the Windows tests run the x86_64 twin under wine64"; \
	fi
	@ctest --test-dir $(BUILD)/$$(cat $(WINTEST_FILE)) --output-on-failure
	@scripts/fuzz.sh $(FUZZ) smoke

demo: build
	@scripts/demo.sh $(BUILD)/$$(cat $(WINTEST_FILE))

dist: build
	@scripts/dist.sh $(WIN32) $(BUILD)/dist

bench: build
	@scripts/bench.sh $(BUILD)/$$(cat $(WINTEST_FILE))

# Long runs, one step after another; each is given the Windows build's folder
# and must exit 0.
SOAK_STEPS = scripts/soak.sh scripts/death-matrix.sh

soak: build
	@for step in $(SOAK_STEPS); do $$step $(BUILD)/$$(cat $(WINTEST_FILE)) || exit 1; done

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
