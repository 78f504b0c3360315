# Orvane: the two commands of the README, and a few more.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
ASAN_OPTIONS ?= detect_leaks=1:abort_on_error=0

.PHONY: all deps build run test test-sanitize format format-check bench fuzz package clean

all: build

# Each target installs what its purpose needs (scripts/install-deps: build and run, then test,
# bench, fuzz, package or format on top). `make deps` is what CI needs: building and the tests.
deps:
	@scripts/install-deps test

# Tree $(1) exists already.
have_tree = $(wildcard $(1)/CMakeCache.txt)
# The value that tree $(1) keeps for the cache entry $(2).
cached = $(shell sed -n 's/^$(2):[A-Z]*=//p' $(1)/CMakeCache.txt 2>/dev/null)
# Configures tree $(1) with the options $(2) and CMAKE_FLAGS: a new tree always, an existing one
# whenever there is anything to give it, so that CMAKE_FLAGS on the command line always reaches the
# tree it names. (Building configures again by itself when a CMakeLists.txt has changed.)
configure = $(if $(call have_tree,$(1)),$(if $(strip $(2) $(CMAKE_FLAGS)),cmake -S . -B $(1) $(2) $(CMAKE_FLAGS),@:),\
  cmake -S . -B $(1) $(2) $(CMAKE_FLAGS))

# A tree that `make build` or `make run` starts has no tests, so that building and running need no
# test tools; `make test` turns them on, and they stay on.
build:
	@scripts/install-deps build
	$(call configure,$(BUILD_DIR),$(if $(call have_tree,$(BUILD_DIR)),,-DORVANE_BUILD_TESTS=OFF))
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Starts Orvane in the current directory, where it keeps "System.ini"; builds the program only.
# Without any display (a bare console, ssh) it runs on Qt's offscreen platform: no windows, but
# the timed wakes go on; Ctrl+C ends it.
run:
	@scripts/install-deps build
	$(call configure,$(BUILD_DIR),$(if $(call have_tree,$(BUILD_DIR)),,-DORVANE_BUILD_TESTS=OFF))
	cmake --build $(BUILD_DIR) -j $(JOBS) --target orvane
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ] && [ -z "$$QT_QPA_PLATFORM" ]; then \
	  echo "run: no display; starting Orvane without windows (Ctrl+C ends it)"; \
	  QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/src/orvane; \
	else \
	  $(BUILD_DIR)/src/orvane; \
	fi

test:
	@scripts/install-deps test
	$(call configure,$(BUILD_DIR),$(if $(filter ON,$(call cached,$(BUILD_DIR),ORVANE_BUILD_TESTS)),,-DORVANE_BUILD_TESTS=ON))
	cmake --build $(BUILD_DIR) -j $(JOBS)
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) $(CTEST_FLAGS)

# The whole suite once more, built with AddressSanitizer and UndefinedBehaviorSanitizer (the
# install and package tests are left out: they check the release build's files).
SANITIZE_DIR ?= $(BUILD_DIR)-sanitize
test-sanitize:
	@scripts/install-deps test
	$(call configure,$(SANITIZE_DIR),-DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON -DORVANE_BUILD_TESTS=ON)
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && ASAN_OPTIONS=$(ASAN_OPTIONS) UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  ctest --output-on-failure -j $(JOBS) -LE install $(CTEST_FLAGS)

# clang-format over every C++ file that git tracks, or only a check that nothing would change. Both
# need a git checkout: without one there is no list of files, and clang-format would wait for input.
FORMAT_FILES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)
no_checkout = @echo "$@: not a git checkout (git ls-files lists no C++ file here); run it in a clone" >&2; exit 2
format:
	$(if $(FORMAT_FILES),@scripts/install-deps format,$(no_checkout))
	@clang-format -i $(FORMAT_FILES)
format-check:
	$(if $(FORMAT_FILES),@scripts/install-deps format,$(no_checkout))
	@clang-format --dry-run --Werror $(FORMAT_FILES) && echo "format-check: every file as clang-format writes it"

bench:
	@scripts/install-deps bench
	$(call configure,$(BUILD_DIR)-bench,-DCMAKE_BUILD_TYPE=Release -DORVANE_BUILD_BENCH=ON -DORVANE_BUILD_TESTS=OFF)
	cmake --build $(BUILD_DIR)-bench -j $(JOBS)
	cd $(BUILD_DIR)-bench && ctest -L bench --output-on-failure -V

fuzz:
	@scripts/install-deps fuzz
	CXX=clang++ $(call configure,$(BUILD_DIR)-fuzz,-DORVANE_BUILD_FUZZ=ON -DORVANE_BUILD_TESTS=OFF)
	cmake --build $(BUILD_DIR)-fuzz -j $(JOBS)

# The Debian package: built for /usr in a tree of its own, with Debian's hardening flags.
package:
	@scripts/install-deps package
	export DEB_BUILD_MAINT_OPTIONS=hardening=+all; \
	cmake -S . -B $(BUILD_DIR)-pkg -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DORVANE_BUILD_TESTS=OFF \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR)-pkg -j $(JOBS)
	cd $(BUILD_DIR)-pkg && cpack
	cp $(BUILD_DIR)-pkg/orvane_*.deb .

clean:
	rm -rf $(BUILD_DIR) $(BUILD_DIR)-bench $(BUILD_DIR)-fuzz $(BUILD_DIR)-pkg $(SANITIZE_DIR)
