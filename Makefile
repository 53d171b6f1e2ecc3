# make demo: the stand-in host runs the module until it closes itself.
# make test: the whole suite under Wine, for each build this machine can run.
# build/ is the shipped 32-bit build; build-x64/ is an x64 build of the same
# sources that only the tests and tools run, under 64-bit Wine, for machines
# that cannot run 32-bit programs or have no 32-bit Wine
# (scripts/wine32-ready.sh asks the machine). TARNEL_ARCH=x64 makes this
# machine count as one of those.
BUILD ?= build
BUILD64 ?= build-x64

# The build the demo, benchmarks, soak and pictures run, chosen after set-up
# (which may fail to install 32-bit Wine); b names its folder.
pick = if bash scripts/wine32-ready.sh; then b=$(BUILD) t=build; else b=$(BUILD64) t=build-x64; fi; \
       $(MAKE) --no-print-directory $$t &&
configure = bash scripts/configure.sh $(1) $(2)

.PHONY: all setup build build-x64 test test-x64 demo bench pictures fuzz soak clean

all: build

setup:
	@bash scripts/setup.sh

build: setup
	@$(call configure,$(BUILD),mingw-i686)

build-x64: setup
	@$(call configure,$(BUILD64),mingw-x86_64)

test: build build-x64
	@bash scripts/test.sh "$$(bash scripts/wine32-ready.sh && echo yes)" $(BUILD) $(BUILD64)

test-x64: build-x64
	@bash scripts/run-tests.sh $(BUILD64)

demo: setup
	@$(pick) bash scripts/demo.sh $$b

bench: setup
	@$(pick) bash scripts/bench.sh $$b

fuzz: setup
	@bash scripts/fuzz.sh $(BUILD) $${FUZZ_SECONDS:-60}

soak: setup
	@$(pick) bash scripts/soak.sh $$b $${SOAK_SEQUENCES:-10000}

pictures: setup
	@$(pick) bash scripts/pictures.sh $$b

clean:
	rm -rf $(BUILD) $(BUILD64)
