# make demo: the stand-in host runs the module until it closes itself.
# make test: the whole suite under Wine.
BUILD ?= build

.PHONY: all setup build test demo bench pictures fuzz soak clean

all: build

setup:
	@bash scripts/setup.sh

build: setup
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	    -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD)

test: build
	@bash scripts/run-tests.sh $(BUILD)

demo: build
	@bash scripts/demo.sh $(BUILD)

bench: build
	@bash scripts/bench.sh $(BUILD)

fuzz: setup
	@bash scripts/fuzz.sh $(BUILD) $${FUZZ_SECONDS:-60}

soak: build
	@bash scripts/soak.sh $(BUILD) $${SOAK_SEQUENCES:-10000}

pictures: build
	@bash scripts/pictures.sh $(BUILD)

clean:
	rm -rf $(BUILD)
