# Thin wrapper: `make run` and `make test` install what is missing, configure, build and go.
BUILD      ?= build
ASAN_BUILD ?= build-asan
RELEASE_BUILD ?= build-release
JOBS       ?= 2

.PHONY: all setup build build-release run test test-sanitize bench clean

all: build

setup:
	@bash scripts/setup.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIROKEL_WERROR=ON

build: setup $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/src/mirokel

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The core libraries and their tests under AddressSanitizer + UndefinedBehaviorSanitizer.
test-sanitize: setup
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMIROKEL_SANITIZE=ON -DMIROKEL_WERROR=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target core-tests
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS) -L core

# The Release configuration, warnings as errors: the optimiser's warnings show here first.
build-release: setup
	cmake -S . -B $(RELEASE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DMIROKEL_WERROR=ON
	cmake --build $(RELEASE_BUILD) -j $(JOBS)

bench: build
	./$(BUILD)/bench/mirokel-bench

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(RELEASE_BUILD)
