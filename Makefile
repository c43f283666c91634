# The two commands a newcomer needs: `make run` and `make test`.
# Every target installs what it needs first (scripts/install-deps does nothing
# when all packages are present).

FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)

.PHONY: run test build deps bench fuzz asan tsan debug compilers clean

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
compilers: deps
	@set -e; for p in clang gcc-release; do \
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

clean:
	rm -rf build
