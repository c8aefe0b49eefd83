# Quorlane: the everyday commands. `make` alone lists them.
BUILD       := build
BENCH_BUILD := build-bench
GENERATOR   := -G Ninja

.PHONY: help setup dev-setup configure build run test bench clean
.DEFAULT_GOAL := help

help:
	@echo "make run        install what is missing, build, start the program"
	@echo "make test       install what is missing, build, run all tests (offscreen)"
	@echo "make bench      Release build in $(BENCH_BUILD)/, run the benchmarks"
	@echo "make setup      install the missing Debian packages only"
	@echo "make dev-setup  same, plus clang, sanitizer runtime, clang-tidy, clang-format"
	@echo "make clean      remove $(BUILD)/ and $(BENCH_BUILD)/"

setup:
	bash scripts/setup.sh

dev-setup:
	bash scripts/setup.sh --dev-tools

configure: setup
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD)

run: build
	./$(BUILD)/app/quorlane

test: build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j2

bench: setup
	cmake -S . -B $(BENCH_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DQUORLANE_BENCH=ON
	cmake --build $(BENCH_BUILD)
	./$(BENCH_BUILD)/bench/quorlane_bench

clean:
	rm -rf $(BUILD) $(BENCH_BUILD)
