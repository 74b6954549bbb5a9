# Brenvald: the whole set-up is `make run` and `make test` on a Debian machine
# (as root). Both install what is missing first (scripts/setup).
# ARCH=x86_64 is a test-only build of the same sources for 64-bit Windows,
# for a machine that cannot execute 32-bit x86 code (its tests run under
# 64-bit Wine); the product is the i686 build.
ARCH ?= i686
ifeq ($(ARCH),i686)
BUILD ?= build
else ifeq ($(ARCH),x86_64)
BUILD ?= build-x86_64
else
$(error ARCH must be i686 or x86_64, not $(ARCH))
endif
# The build folder as an absolute path: BUILD may be relative or absolute.
BUILD_DIR = $(abspath $(BUILD))

.PHONY: all setup configure build run test bench screenshots package clean

all: build

setup:
	@scripts/setup

configure: setup
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$(ARCH).cmake -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@MAKEFLAGS= cmake --build $(BUILD) -j2

# The persistent Wine server of the build's prefix is ended afterwards, as
# after the tests.
STOP_WINE = WINEPREFIX=$(BUILD_DIR)/wineprefix wineserver -k 2>/dev/null

run: build
	@scripts/run $(BUILD); status=$$?; $(STOP_WINE); exit $$status

test: build
	@cd $(BUILD) && ctest --output-on-failure -j2; status=$$?; \
	    $(STOP_WINE); exit $$status

screenshots: build
	@scripts/screenshots $(BUILD)

bench: build
	@scripts/bench $(BUILD); status=$$?; $(STOP_WINE); exit $$status

# The portable zip and the per-user installer, in BUILD/package/.
package: build
	@scripts/package $(BUILD)

# Each libFuzzer target of the pure units for FUZZ_SECONDS, on the host with
# the sanitizers; findings land in BUILD/native/findings/ (scripts/native-check).
FUZZ_SECONDS ?= 600
.PHONY: fuzz
fuzz: setup
	@scripts/native-check --fuzz $(BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD)
