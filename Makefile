# The contract on a fresh Debian 12 machine: `make run` and `make test` install what is missing, build and
# go. Everything the project needs comes from Debian's packages, installed by name. `make -j` is safe: every
# configure step waits for the packages.

BUILD ?= build
BUILD_ASAN ?= build-asan
BUILD_BENCH ?= build-bench
JOBS ?= 2
WERROR := $(if $(CI),ON,OFF)
FUZZ_SECONDS ?= 30

PACKAGES := build-essential cmake ninja-build pkg-config locales \
	qt6-base-dev libcurl4-openssl-dev libssl-dev libfreexl-dev libzip-dev libpugixml-dev libexpat1-dev \
	libxlsxwriter-dev nlohmann-json3-dev \
	apertium-apy apertium-eng-spa apertium-es-pt apertium-fr-es apertium-spa-ita apertium-spa-cat \
	fonts-liberation fonts-dejavu-core \
	libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev poppler-utils strace \
	cups printer-driver-cups-pdf ser2net
# The checks CI adds: the clang build with sanitizers and libFuzzer, the format check, the package (CPack
# finds its library dependencies with `file` and dpkg-shlibdeps).
CHECK_PACKAGES := clang libclang-rt-14-dev clang-format file
# A locale that writes decimal commas, so the test that numbers in files ignore the locale runs for real.
COMMA_LOCALE := de_DE

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# $(call install-missing,PACKAGE...): apt-get installs the packages not installed yet.
define install-missing
@missing=""; for p in $(1); do \
  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || missing="$$missing $$p"; \
done; \
if [ -n "$$missing" ]; then \
  echo "Installing:$$missing"; \
  $(SUDO) apt-get update -q && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -q $$missing; \
else echo "All packages present."; fi
endef

.PHONY: all deps deps-checks configure build test test-asan fuzz run bench package package-test format \
	check-format clean screenshots

all: build

deps:
	$(call install-missing,$(PACKAGES))
	@locale -a | grep -qix '$(COMMA_LOCALE).utf8' || { echo "Generating $(COMMA_LOCALE).UTF-8"; \
	  $(SUDO) localedef -i $(COMMA_LOCALE) -c -f UTF-8 $(COMMA_LOCALE).UTF-8; }

deps-checks: deps
	$(call install-missing,$(CHECK_PACKAGES))

# Configuring finds the packages, so it never starts before they are in (order-only: no reconfigure).
$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DTABULO_WERROR=$(WERROR)

configure: $(BUILD)/build.ninja

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

# Everything again built by clang under AddressSanitizer and UndefinedBehaviorSanitizer, windows included,
# with libFuzzer's coverage in all of it so the fuzz targets built here see the whole core.
$(BUILD_ASAN)/build.ninja: | deps-checks
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTABULO_SANITIZE=ON \
	  -DTABULO_FUZZ=ON -DTABULO_WERROR=$(WERROR)

test-asan: deps-checks $(BUILD_ASAN)/build.ninja
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp ctest --output-on-failure -j $(JOBS) --timeout 600

# Each fuzz target for FUZZ_SECONDS from its corpus (new finds go to $(BUILD_ASAN)/fuzz, not the tree).
fuzz: deps-checks $(BUILD_ASAN)/build.ninja
	cmake --build $(BUILD_ASAN) -j $(JOBS) --target fuzzers
	tools/run-fuzzers $(BUILD_ASAN) $(FUZZ_SECONDS)

run: build
	@if [ -x $(BUILD)/lib/tabulo/tabulodesk ]; then \
	  exec tools/run-designer $(BUILD) $(ORDERS); \
	else $(BUILD)/lib/tabulo/tabulo --help; fi

# The user guide's pictures taken again from the real windows, drawn offscreen (commit docs/images after).
screenshots: build
	$(BUILD)/tests/mainwindow/take_screenshots docs/images

$(BUILD_BENCH)/build.ninja: | deps
	cmake -S . -B $(BUILD_BENCH) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTABULO_BENCH=ON -DTABULO_TESTS=OFF

bench: deps $(BUILD_BENCH)/build.ninja
	cmake --build $(BUILD_BENCH) -j $(JOBS)
	tools/run-benchmarks $(BUILD_BENCH)

# The Debian package of the programs built in $(BUILD), and its check from a scratch root.
package: deps-checks build
	cd $(BUILD) && cpack -G DEB

package-test: package
	tools/test-package $(BUILD)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

check-format: deps-checks
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_BENCH)
