# SPDX-License-Identifier: GPL-3.0-or-later
# Front door: `make` builds, `make test` builds and runs every test, `make demo` runs the demo.
BUILD      ?= build
SAN_BUILD  ?= build-san
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 20
# Warnings are errors in the CI builds (CI=true), and wherever WERROR=ON is given.
WERROR     ?= $(if $(filter true,$(CI)),ON,OFF)

.PHONY: all deps configure test demo sanitize fuzz bench clean install package

all: configure
	cmake --build $(BUILD) -j $(JOBS)

deps:
	@scripts/install-deps

configure: deps
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DORVANE_WERROR=$(WERROR)

test: all
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Installs under PREFIX; for one user: make install PREFIX=~/.local
PREFIX ?= /usr/local
install: all
	cmake --install $(BUILD) --prefix $(PREFIX)

# orvane_VERSION_amd64.deb here, built in PKG_BUILD for /usr; `sudo apt install ./orvane_*.deb`.
PKG_BUILD ?= build-deb
package: deps
	@scripts/build-package $(PKG_BUILD)

demo: all
	@scripts/demo $(BUILD)

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	@test -f $(SAN_BUILD)/CMakeCache.txt || CC=clang CXX=clang++ cmake -S . -B $(SAN_BUILD) \
	  -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON -DORVANE_BENCH=OFF -DORVANE_WERROR=$(WERROR)
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  ctest --output-on-failure -j $(JOBS)

# Each fuzz target for FUZZ_SECONDS seconds.
fuzz: deps
	@test -f $(FUZZ_BUILD)/CMakeCache.txt || CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_FUZZ=ON -DORVANE_WERROR=$(WERROR)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_all
	@scripts/run-fuzz $(FUZZ_BUILD)/fuzz $(FUZZ_SECONDS)

bench: all
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD) $(PKG_BUILD) orvane_*.deb
