# Lumoscope: `make run` starts the viewer under Wine, `make test` runs every test.
# Both install what is missing first (Debian 12, as root).
SHELL := /bin/bash
SECONDS ?= 60

.PHONY: all bootstrap build run test dist fuzz bench fixtures clean

all: build

bootstrap:
	@scripts/bootstrap.sh >/dev/null

build:
	@scripts/build.sh

run:
	@scripts/run.sh

test:
	@scripts/test.sh

dist:
	@scripts/dist.sh

fuzz:
	@scripts/build.sh native && fuzz/fuzz.sh $(SECONDS)

bench:
	@scripts/build.sh native && bench/bench.sh

# Writes the test pictures under tests/data again (they are committed).
fixtures:
	@scripts/make-fixtures.sh

clean:
	rm -rf build
