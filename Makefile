# The two commands of the README: `make run` opens the window, `make test` runs every test.
# Each installs what is missing for its own work first (scripts/install-deps), then configures
# and builds.
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: build program run run-xvfb test test-normal test-asan test-tsan test-win32 win32 package-win32 bench fuzz clean display install uninstall package

build:
	@./scripts/install-deps build
	cmake -S . -B build $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS)

# The program alone, none of the test programs.
program:
	@./scripts/install-deps build
	cmake -S . -B build $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS) --target cellbrae

run: display program
	./build/cellbrae

# Without a display Qt aborts with a page of text; one line saying what to do instead.
display:
	$(if $(DISPLAY)$(WAYLAND_DISPLAY),,$(error no display found (DISPLAY and WAYLAND_DISPLAY are unset); to open the window on a virtual display instead: make run-xvfb))

# The window on a virtual display of its own, for a machine without one (screenshots, checks);
# it says which display that is, how to take a screenshot and how to stop it.
run-xvfb:
	@./scripts/install-deps build xvfb openbox imagemagick
	$(MAKE) program
	./scripts/run-xvfb ./build/cellbrae

# The program, its menu entry, icons, manual page, metainfo and notices under PREFIX (staged
# under DESTDIR when it is set); `make uninstall` takes away what every `make install` from
# this build put there (packaging/install-tree keeps the record).
PREFIX ?= /usr/local
install: build
	DESTDIR="$(DESTDIR)" ./packaging/install-tree install build "$(PREFIX)"

uninstall:
	./packaging/install-tree uninstall build

# The .deb for Debian 12, in build-deb/packages/, from a build of its own with Debian's flags;
# its tools are installed here, not by the other targets.
package:
	@./scripts/install-deps build dpkg-dev desktop-file-utils appstream lintian
	desktop-file-validate packaging/cellbrae.desktop
	./packaging/make-deb build-deb
	appstreamcli validate --no-net build-deb/packaging/org.example.cellbrae.metainfo.xml
	lintian --info build-deb/packages/cellbrae_*.deb

# The suite three times: plain, under ASan+UBSan (leaks too), and the threaded tests under TSan;
# then the Windows builds' tests under Wine. install-deps has put Wine there (or stopped), so
# they always run: make expands a recipe before its first line runs, and a test for Wine made
# here would find none on a fresh machine and skip them.
test:
	@./scripts/install-deps test
	$(MAKE) test-normal
	$(MAKE) test-asan
	$(MAKE) test-tsan
	$(MAKE) test-win32

test-normal:
	cmake -S . -B build $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS)
	ctest --test-dir build --output-on-failure -j $(JOBS)

test-asan:
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCELLBRAE_SANITIZE=address
	cmake --build build-asan -j $(JOBS)
	ctest --test-dir build-asan --output-on-failure -j $(JOBS)

test-tsan:
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DCELLBRAE_SANITIZE=thread
	cmake --build build-tsan -j $(JOBS)
	ctest --test-dir build-tsan --output-on-failure -j $(JOBS) -L threaded

# The Windows program, cross-built with mingw-w64: build-win32/cellbrae.exe (32-bit, the arch
# the system's script control exists for) and build-win64/ (catches pointer-size faults).
WIN_CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
win32:
	@./scripts/install-deps win
	cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake $(WIN_CMAKE_FLAGS)
	cmake --build build-win32 -j $(JOBS)
	cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake $(WIN_CMAKE_FLAGS)
	cmake --build build-win64 -j $(JOBS)

# The 32-bit program for Windows users, in build-win32/packages/: Cellbrae-VERSION-win32.zip
# (unpack anywhere, run cellbrae.exe) and Cellbrae-VERSION-win32-setup.exe (installs for the
# person running it, no administrator needed). The 32-bit build's tests install, run and
# uninstall both, so `make test` builds and checks them too.
package-win32:
	@./scripts/install-deps win
	cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake $(WIN_CMAKE_FLAGS)
	cmake --build build-win32 -j $(JOBS) --target cellbrae_packages

# Each Windows build's tests in a fresh Wine prefix of its own arch (scripts/wine-test).
test-win32: win32
	./scripts/wine-test build-win32 -j $(JOBS)
	./scripts/wine-test build-win64 -j $(JOBS)

bench:
	@./scripts/install-deps build libbenchmark-dev
	$(MAKE) build
	./build/bench/cellbrae_bench

clean:
	rm -rf build build-asan build-tsan build-win32 build-win64 build-deb

# libFuzzer targets, each run for FUZZ_SECONDS from its seed corpus (not part of `make test`).
FUZZ_SECONDS ?= 600
FUZZERS ?= fuzz_text_commands fuzz_table fuzz_json_document fuzz_plain_text fuzz_script_differential
fuzz:
	@./scripts/install-deps build clang
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCELLBRAE_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS)
	for f in $(FUZZERS); do \
	  mkdir -p build-fuzz/corpus/$$f && \
	  ./build-fuzz/fuzz/$$f -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 -artifact_prefix=build-fuzz/ \
	    build-fuzz/corpus/$$f fuzz/seeds/$$f || exit 1; \
	done
