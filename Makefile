# Phondeck — build, test and run. Every target installs what is missing first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
CTEST_ARGS ?= --output-on-failure -j $(JOBS)
FUZZ_SECONDS ?= 5
# Let checkouts in other folders share the compiler cache.
export CCACHE_BASEDIR ?= $(CURDIR)
export CCACHE_NOHASHDIR ?= 1

.PHONY: all deps build test test-plain asan fuzz fuzz-smoke bench run screenshots install package clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# Plain build's tests, the fuzz smoke run, then the sanitizer build's tests.
test: test-plain fuzz-smoke asan

# The longest tests start first: a build that has not run its tests yet takes
# their times from scripts/test-costs.txt (ctest keeps its own afterwards).
test-plain: build
	@bash scripts/seed-test-costs.sh $(BUILD)
	cd $(BUILD) && ctest $(CTEST_ARGS)

# Line tables (-g1) are all the sanitizers' reports need.
$(ASAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPHONDECK_SANITIZE=ON \
	  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1"

asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	@bash scripts/seed-test-costs.sh $(ASAN_BUILD)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp \
	  ctest $(CTEST_ARGS)

$(FUZZ_BUILD)/build.ninja: | deps
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DPHONDECK_FUZZ=ON -DPHONDECK_GUI=OFF -DPHONDECK_TESTS=OFF

fuzz: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers

# Each libFuzzer target runs for FUZZ_SECONDS on a scratch copy of its seeds,
# JOBS targets at a time.
fuzz-smoke: fuzz
	@bash scripts/fuzz-smoke.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(JOBS)

bench: build
	cmake --build $(BUILD) -j $(JOBS) --target benchmarks
	@bash scripts/run-benchmarks.sh $(BUILD)

# Telvane in a demo folder of the build tree, with its own tv.dat.
run: build
	@bash scripts/run-telvane.sh $(BUILD)

# PNGs of the windows (the main window's two-pane and tree views, the Editor,
# Messages, Calendar, Options, ...) in each language, taken under Xvfb, into
# $(BUILD)/screenshots.
screenshots: build
	@bash scripts/screenshots.sh $(BUILD)

# The programs, help pages, menu entries and icons under PREFIX.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX) --strip

# The Debian package, $(BUILD)/phondeck_<version>_<arch>.deb.
package: build
	cmake --build $(BUILD) --target package

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)

# Deskpal from the build tree, in Telvane's demo folder (a double-click starts
# the Telvane beside it there); and the sheet of its frames, enlarged, in
# docs/deskpal-frames.png.
.PHONY: run-deskpal deskpal-frames
run-deskpal: build
	mkdir -p $(BUILD)/demo && cd $(BUILD)/demo && $(abspath $(BUILD))/deskpal
deskpal-frames: build
	$(BUILD)/deskpal_frames docs/deskpal-frames.png 3
