# The two commands: `make run` starts the program, `make test` runs every test.
# Both install what a fresh Debian 12 machine lacks and build first.

BUILD      := build
ASAN_BUILD := build-asan
FUZZ_BUILD := build-fuzz
STAGE      := $(BUILD)/stage
FUZZ_SECONDS ?= 600
FUZZ_SEED    ?= 0
SEED         ?= 1
MINUTES      ?= 10
CSV_FUZZ_SECONDS ?= 20
JOBS       := $(shell nproc 2>/dev/null || echo 2)
PACKAGES   := cmake g++ make pkg-config libfltk1.3-dev librapidxml-dev libgtest-dev \
              xvfb xdotool x11-utils imagemagick ghostscript tzdata python3 libxml2-utils poppler-utils clang libclang-rt-14-dev \
              libcsv-dev

.PHONY: run demo test test-fast test-asan killed-saves monkey fuzz bench install deps build build-asan build-fuzz clean

# Run as installed: the program finds its data files through XDG_DATA_DIRS and makes the data
# folder from them on the first run.
run: build
	cmake --install $(BUILD) --prefix $(STAGE) >/dev/null
	XDG_DATA_DIRS="$(CURDIR)/$(STAGE)/share:$${XDG_DATA_DIRS:-/usr/local/share:/usr/share}" ./$(BUILD)/marlowen-veloria

# The program on a temporary data folder with two sample users; your own folder is not touched.
demo: build
	tools/demo.sh ./$(BUILD)/marlowen-veloria

test: test-fast test-asan
	$(MAKE) fuzz FUZZ_SECONDS=30 FUZZ_SEED=1

# Times go through local time: every test runs in UTC, the unit tests again in two zones with
# daylight saving, one a half hour off the hour, and the widget tests of dates and times in that one.
CLOCK_GUI_TESTS := ChartTest|HistoryWindowTest|DoctorReportWindowTest|CsvWindowTest
test-fast: build
	TZ=UTC tools/with-xvfb.sh ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)
	TZ=America/New_York ctest --test-dir $(BUILD) -L unit --output-on-failure -j$(JOBS)
	TZ=Australia/Adelaide ctest --test-dir $(BUILD) -L unit --output-on-failure -j$(JOBS)
	TZ=Australia/Adelaide tools/with-xvfb.sh ctest --test-dir $(BUILD) -L gui -R '$(CLOCK_GUI_TESTS)' \
	  --output-on-failure -j$(JOBS)

# Saves and imports killed at random moments, ROUNDS of them from SEED (make test runs 20 from seed 1).
ROUNDS ?= 100
killed-saves: build
	MV_KILL_ROUNDS=$(ROUNDS) MV_KILL_SEED=$(SEED) TZ=UTC ./$(BUILD)/killed-saves

test-asan: build-asan
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 TZ=Europe/Berlin \
	tools/with-xvfb.sh ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS)

# The sanitizer build driven at random for MINUTES by the seed SEED (tools/monkey.py); a failed run
# is kept in its temporary folder, with the steps it took in actions.txt.
monkey: build-asan
	python3 tools/monkey.py --program $(ASAN_BUILD)/marlowen-veloria --seed $(SEED) --minutes $(MINUTES)

# The loader under libFuzzer for FUZZ_SECONDS, then the CSV import for CSV_FUZZ_SECONDS; findings are
# written to $(FUZZ_BUILD)/crash-*.
fuzz: build-fuzz
	mkdir -p $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/csv-corpus
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 $(FUZZ_BUILD)/load-fuzzer -max_total_time=$(FUZZ_SECONDS) -seed=$(FUZZ_SEED) \
	  -max_len=65536 -timeout=10 -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/ $(FUZZ_BUILD)/corpus fuzz/corpus
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 $(FUZZ_BUILD)/csv-fuzzer -max_total_time=$(CSV_FUZZ_SECONDS) -seed=$(FUZZ_SEED) \
	  -max_len=16384 -timeout=10 -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/ $(FUZZ_BUILD)/csv-corpus fuzz/csv-corpus

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

build-fuzz: deps
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMV_SANITIZE=ON -DMV_FUZZ=ON >/dev/null
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target load-fuzzer csv-fuzzer

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
