# Front door: every target installs what it needs, then builds with CMake and Ninja.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: all deps configure build run test install package bench fuzz screenshot clean

all: build

deps:
	tools/install-deps

configure: deps
	@test -f $(BUILD)/build.ninja || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -x $(BUILD)/bin/weltnetz ]; then $(BUILD)/bin/weltnetz; else $(BUILD)/bin/weltnetz-proj --list; fi

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Installs the programs, menu entry, icons, man pages and the engine library
# under PREFIX (no root needed for a prefix of one's own, e.g. ~/.local).
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# Debian packages in $(BUILD): weltnetz_*.deb (the programs) and the engine's
# library and development packages. Install with apt install ./$(BUILD)/weltnetz_*.deb
package: build
	tools/install-deps package
	cd $(BUILD) && cpack -G DEB

bench:
	tools/install-deps bench
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DWELTNETZ_BENCH=ON -DWELTNETZ_TESTS=OFF
	cmake --build build-bench -j $(JOBS) --target weltnetz-bench weltnetz-worstcall weltnetz-interactive-bench
	build-bench/bin/weltnetz-bench $(BENCH_ARGS)
	build-bench/bin/weltnetz-worstcall
	build-bench/bin/weltnetz-interactive-bench

# A PNG of the whole window after its first drawing, taken under Xvfb.
screenshot: build
	tools/install-deps screenshot
	WELTNETZ_BIN=$(BUILD)/bin/weltnetz tools/screenshot/screenshot.sh $(or $(OUT),weltnetz.png)

FUZZ_SECONDS ?= 300
fuzz:
	tools/install-deps fuzz
	CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DWELTNETZ_FUZZ=ON -DWELTNETZ_TESTS=OFF -DWELTNETZ_WITH_QT=ON
	cmake --build build-fuzz -j $(JOBS) --target engine_fuzz $$(test -f tests/fuzz/render_fuzz.cpp && echo render_fuzz)
	tools/run-fuzz $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) build-asan build-bench build-fuzz
