# The two commands a newcomer needs: `make run` and `make test`.
# Every target installs what it needs first (scripts/install-deps does nothing
# when all packages are present).

FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)

.PHONY: run test build deps bench fuzz asan tsan debug compilers deb deb-check clean

deps:
	@./scripts/install-deps

build/release/build.ninja: | deps
	cmake --preset release

build: deps build/release/build.ninja
	cmake --build --preset release -j $(JOBS)

run: build
	./build/release/bin/zubo-sequencer $(ARGS)

test: build
	ctest --preset release -j $(JOBS)

bench: build
	@set -e; for b in build/release/bin/bench_*; do echo "== $$b"; $$b; done

# The other presets, each configured, built and tested in build/<preset>.
debug asan tsan: deps
	cmake --preset $@
	cmake --build --preset $@ -j $(JOBS)
	ctest --preset $@ -j $(JOBS)

# The other compilers' builds: GCC's Release (-O3) and clang, our warnings
# as errors. Built only: the tests run in the presets above.
COMPILERS ?= clang gcc-release
compilers: deps
	@set -e; for p in $(COMPILERS); do \
	  cmake --preset $$p; cmake --build --preset $$p -j $(JOBS); \
	done

# Each fuzz target runs for FUZZ_SECONDS from its checked-in seed corpus;
# new inputs it finds go to a scratch folder, never into the repository.
fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	@set -e; for f in build/fuzz/bin/fuzz_*; do \
	  name=$${f##*/fuzz_}; scratch=build/fuzz/corpus/$$name; mkdir -p $$scratch; \
	  echo "== $$f for $(FUZZ_SECONDS) s"; \
	  $$f -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $$scratch tests/fuzz/corpus/$$name; \
	done

# The Debian package, built by dpkg-buildpackage in a copy of the tree under
# build/deb, so that its by-products stay out of the source and its parent.
# `make deb ZUBO_WERROR=ON` makes our warnings errors (CI does).
VERSION := $(shell sed -nE '/^project/s/.*VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
DEB := build/zubo-sequencer_$(VERSION)_$(shell dpkg --print-architecture).deb
PACKAGE_TREE := build/deb/zubo-sequencer-$(VERSION)

deb:
	@./scripts/install-deps deb
	rm -rf build/deb
	mkdir -p $(PACKAGE_TREE)
	tar -c --exclude=./build --exclude=./.git . | tar -x -C $(PACKAGE_TREE)
	cd $(PACKAGE_TREE) && dpkg-buildpackage -us -uc -b -j$(JOBS)
	cp build/deb/*.deb build/
	@echo "make deb: $(DEB)"

# lintian on the package, then the contents and the unpacked program.
deb-check: deb
	lintian --fail-on error,warning build/deb/zubo-sequencer_$(VERSION)_*.changes
	./scripts/check-deb $(DEB)

clean:
	rm -rf build
