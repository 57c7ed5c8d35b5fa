# The contract on a fresh Debian 12 machine: `make run` and `make test` install what is missing, build and
# go. Everything the project needs comes from Debian's packages, installed by name.

BUILD ?= build
BUILD_ASAN ?= build-asan
JOBS ?= 2
WERROR := $(if $(CI),ON,OFF)

PACKAGES := build-essential cmake ninja-build pkg-config \
	qt6-base-dev libcurl4-openssl-dev libssl-dev libfreexl-dev libzip-dev libpugixml-dev nlohmann-json3-dev \
	apertium-apy apertium-eng-spa apertium-es-pt apertium-fr-es apertium-spa-ita apertium-spa-cat \
	fonts-liberation fonts-dejavu-core \
	libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev poppler-utils strace ser2net

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build test test-asan run bench format clean

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -q && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -q $$missing; \
	else echo "All packages present."; fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DTABULO_WERROR=$(WERROR)

configure: $(BUILD)/build.ninja

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

# The core and its tests without Qt, under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	cmake -S . -B $(BUILD_ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTABULO_WITH_QT=OFF -DTABULO_SANITIZE=ON \
	  -DTABULO_WERROR=$(WERROR)
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS) --timeout 600

run: build
	@if [ -x $(BUILD)/designer/mainwindow/tabulodesk ]; then \
	  exec tools/run-designer $(BUILD) $(ORDERS); \
	else $(BUILD)/cli/tabulo --help; fi

bench: deps
	cmake -S . -B $(BUILD)-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTABULO_BENCH=ON -DTABULO_TESTS=OFF
	cmake --build $(BUILD)-bench -j $(JOBS)
	tools/run-benchmarks $(BUILD)-bench

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD)-bench
