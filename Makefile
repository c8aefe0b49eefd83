# Quorlane: the everyday commands. `make` alone lists them.
BUILD       := build
ASAN_BUILD  := build-asan
BENCH_BUILD := build-bench
FUZZ_BUILD  := build-fuzz
WIN_BUILD   := build-windows
GENERATOR   := -G Ninja
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := fuzz_numbertext fuzz_counterformat fuzz_filter fuzz_mask fuzz_compose
# libxkbcommon-x11 (under the X server test) hands strndup a buffer without
# an end mark and a length that stays inside it; the sanitizer's strndup
# would read past it, so the library's own strndup is used.
SANITIZER_ENV := ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:intercept_strndup=0 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: help setup dev-setup configure build run test test-fast test-asan lint format bench fuzz package install \
	check-windows windows windows-configure test-windows clean
.DEFAULT_GOAL := help

help:
	@echo "make run        install what is missing, build, start the program"
	@echo "make test       install what is missing, build, run all tests (offscreen),"
	@echo "                then the same tests built with Address and UB sanitizers"
	@echo "make test-fast  the tests of the normal build only"
	@echo "make lint       clang-tidy and clang-format over the project's code"
	@echo "make format     rewrite the code in the project's clang-format style"
	@echo "make fuzz       each libFuzzer target for FUZZ_SECONDS (default 60) seconds"
	@echo "make bench      Release build in $(BENCH_BUILD)/, run the benchmarks"
	@echo "make windows    Quorlane.exe for 64-bit Windows (MinGW-w64, static Qt built"
	@echo "                once into ~/.cache/quorlane), dist/ zip and installer"
	@echo "make test-windows  the same and the tests for Windows, run under Wine"
	@echo "make check-windows  every program source through the MinGW-w64 compiler"
	@echo "                with the Windows branches on (syntax only, quick)"
	@echo "make package    the Debian package, in $(BUILD)/"
	@echo "make install    install into the system (CMake's install rules)"
	@echo "make clean      remove the build folders"

setup:
	bash scripts/setup.sh

dev-setup:
	bash scripts/setup.sh --dev-tools

configure: setup
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORLANE_BENCH=ON

build: configure
	cmake --build $(BUILD)

run: build
	./$(BUILD)/app/quorlane

test: test-fast test-asan

test-fast: build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j2

test-asan: setup
	cmake -S . -B $(ASAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DQUORLANE_SANITIZE=ON
	cmake --build $(ASAN_BUILD)
	$(SANITIZER_ENV) QT_QPA_PLATFORM=offscreen ctest --test-dir $(ASAN_BUILD) --output-on-failure -j2 -LE nosanitize

lint: dev-setup configure
	bash scripts/lint.sh $(BUILD)

format: dev-setup
	bash scripts/lint.sh --fix

fuzz: dev-setup
	cmake -S . -B $(FUZZ_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_CXX_COMPILER=clang++ -DQUORLANE_FUZZ=ON
	cmake --build $(FUZZ_BUILD)
	bash scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

bench:
	bash scripts/setup.sh --bench-tools
	cmake -S . -B $(BENCH_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DQUORLANE_BENCH=ON
	cmake --build $(BENCH_BUILD)
	./$(BENCH_BUILD)/bench/quorlane_bench

check-windows:
	bash scripts/setup.sh --windows-tools
	bash scripts/check_windows.sh

# The Qt remembers the toolchain file of the clone that built it, which may be
# gone since: this clone's own is named.
windows-configure:
	bash scripts/setup.sh --windows-tools
	qt=$$(bash scripts/windows_qt.sh) && "$$qt/bin/qt-cmake" -S . -B $(WIN_BUILD) $(GENERATOR) \
		-DCMAKE_BUILD_TYPE=Release -DQT_CHAINLOAD_TOOLCHAIN_FILE=$(CURDIR)/packaging/windows/mingw-w64.cmake

windows: windows-configure
	cmake --build $(WIN_BUILD) --target windows-dist

# The first start of Wine makes the build's Wine prefix, before the tests
# start two at a time.
test-windows: windows-configure
	cmake --build $(WIN_BUILD)
	$(WIN_BUILD)/wine_run.sh cmd /c exit
	ctest --test-dir $(WIN_BUILD) --output-on-failure -j2

package: build
	cd $(BUILD) && cpack -G DEB

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(WIN_BUILD) dist
