# The two commands: `make run` starts the program, `make test` runs every test.
# Both install what a fresh Debian 12 machine lacks and build first.

BUILD      := build
ASAN_BUILD := build-asan
JOBS       := $(shell nproc 2>/dev/null || echo 2)
PACKAGES   := cmake g++ make pkg-config libfltk1.3-dev librapidxml-dev libgtest-dev \
              xvfb xdotool imagemagick tzdata python3

.PHONY: run demo test test-fast test-asan bench install deps build build-asan clean

run: build
	tools/seed-data-folder.sh data
	./$(BUILD)/marlowen-veloria

# The program on a temporary data folder with two sample users; your own folder is not touched.
demo: build
	tools/demo.sh ./$(BUILD)/marlowen-veloria

test: test-fast test-asan

# Times go through local time: every test runs in UTC, the unit tests again in a zone with daylight saving.
test-fast: build
	TZ=UTC tools/with-xvfb.sh ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)
	TZ=America/New_York ctest --test-dir $(BUILD) -L unit --output-on-failure -j$(JOBS)

test-asan: build-asan
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 TZ=Europe/Berlin \
	tools/with-xvfb.sh ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS)

# Runs with TZ unset, as on a person's desktop, and draws on its own Xvfb.
bench: build
	@test -f $(BUILD)/heavy/user0.hma || python3 tools/make_records.py heavy $(BUILD)/heavy/user0.hma
	env -u TZ tools/with-xvfb.sh ./$(BUILD)/mv-bench $(BUILD)/heavy/user0.hma

install: build
	cmake --install $(BUILD)

deps:
	@tools/install-packages.sh $(PACKAGES)

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD) -j$(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DMV_SANITIZE=ON >/dev/null
	cmake --build $(ASAN_BUILD) -j$(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
