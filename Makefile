# make demo: the stand-in host runs the module until it closes itself.
# make test: the whole suite under Wine, for each build this machine can run.
# build/ is the shipped 32-bit build; build-x64/ is an x64 build of the same
# sources that only the tests and tools run, under 64-bit Wine, for machines
# that cannot run 32-bit programs (scripts/runs-32bit.sh asks the machine).
# TARNEL_ARCH=x64 makes this machine count as one of those.
BUILD ?= build
BUILD64 ?= build-x64

ifeq ($(TARNEL_ARCH),x64)
RUNS32 :=
else
RUNS32 := $(shell bash scripts/runs-32bit.sh && echo yes)
endif
# The build the demo, benchmarks, soak and pictures run.
ifeq ($(RUNS32),yes)
RUN_BUILD := $(BUILD)
RUN_TARGET := build
else
RUN_BUILD := $(BUILD64)
RUN_TARGET := build-x64
endif
configure = cmake -S . -B $(1) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/$(2).cmake \
            -DCMAKE_BUILD_TYPE=Release --no-warn-unused-cli >/dev/null && cmake --build $(1)

.PHONY: all setup build build-x64 test test-x64 demo bench pictures fuzz soak clean

all: build

setup:
	@bash scripts/setup.sh

build: setup
	@$(call configure,$(BUILD),mingw-i686)

build-x64: setup
	@$(call configure,$(BUILD64),mingw-x86_64)

test: build build-x64
	@bash scripts/test.sh "$(RUNS32)" $(BUILD) $(BUILD64)

test-x64: build-x64
	@bash scripts/run-tests.sh $(BUILD64)

demo: $(RUN_TARGET)
	@bash scripts/demo.sh $(RUN_BUILD)

bench: $(RUN_TARGET)
	@bash scripts/bench.sh $(RUN_BUILD)

fuzz: setup
	@bash scripts/fuzz.sh $(BUILD) $${FUZZ_SECONDS:-60}

soak: $(RUN_TARGET)
	@bash scripts/soak.sh $(RUN_BUILD) $${SOAK_SEQUENCES:-10000}

pictures: $(RUN_TARGET)
	@bash scripts/pictures.sh $(RUN_BUILD)

clean:
	rm -rf $(BUILD) $(BUILD64)
