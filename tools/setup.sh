#!/usr/bin/env bash
# Quillora on a fresh Debian 12 machine, in one command each:
#
#   bash tools/setup.sh play   installs the missing Debian packages, builds, starts the game
#   bash tools/setup.sh test   installs, builds and runs every test: unit tests, the same
#                              under AddressSanitizer/UndefinedBehaviorSanitizer, end to end
#   bash tools/setup.sh package builds quillora_<version>_<arch>.deb from the release build
#
# Never asks anything: apt runs non-interactively (through sudo when not root), the tests get
# their own virtual display and no standard input, and nothing waits for a key.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
JOBS=$(nproc)
RELEASE_DIR=build-release
SANITIZE_DIR=build-sanitize

PACKAGES=(
    build-essential cmake pkg-config
    libglfw3-dev libglew-dev libglm-dev libfreeimage-dev libopenal-dev libsndfile1-dev
    libgtest-dev libgmock-dev
    xvfb xauth xdotool imagemagick sox libsox-fmt-mp3 x11-utils libgl1-mesa-dri libglx-mesa0
    python3 python3-numpy python3-pil
    clang libclang-rt-14-dev clang-format
    dpkg-dev lintian
)
FUZZ_DIR=build-fuzz
FUZZ_RUNS=5000

usage() {
    sed -n '2,8s/^# \{0,1\}//p' "$0"
    exit 2
}

say() { printf '\n=== %s\n' "$*"; }

install_packages() {
    local missing=() package
    for package in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        echo "All needed Debian packages are installed."
        return
    fi
    say "Installing ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "Missing packages: ${missing[*]}; run this as root or install sudo." >&2
            exit 1
        fi
        sudo=(sudo)
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -q update
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -q -y \
        -o DPkg::Lock::Timeout=600 install --no-install-recommends "${missing[@]}"
}

# build <dir> <target or "all"> [cmake options...]
build() {
    local dir=$1 target=$2
    shift 2
    say "Building $target in $dir"
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" || return 1
    if [ "$target" = all ]; then
        cmake --build "$dir" -j"$JOBS"
    else
        cmake --build "$dir" -j"$JOBS" --target "$target"
    fi
}

play() {
    install_packages
    build "$RELEASE_DIR" quillora
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "Built $RELEASE_DIR/quillora, but there is no graphical session to start it in." >&2
        exit 1
    fi
    say "Starting Quillora"
    exec "$ROOT/$RELEASE_DIR/quillora"
}

# The Debian package of the release build, into the repository root. lintian's findings are
# shown; the README explains the ones that stay.
package() {
    install_packages
    build "$RELEASE_DIR" quillora
    say "Packing"
    cpack --config "$RELEASE_DIR/CPackConfig.cmake" -B "$RELEASE_DIR/package" >/dev/null
    local deb
    deb=$(find "$RELEASE_DIR/package" -maxdepth 1 -name 'quillora_*.deb' -newer "$RELEASE_DIR/quillora")
    cp "$deb" "$ROOT/"
    lintian --tag-display-limit 0 "$ROOT/${deb##*/}" || true
    echo "Built ${deb##*/}: sudo apt install ./${deb##*/}"
}

# Runs ctest on a virtual display with software OpenGL and silent sound; the end-to-end tests
# start their own displays and sound recorders on top. A test that fails gets one more run: a busy machine now and then upsets a test that shares
# the display with another. Every failed run is still listed at the end (failure_digest), so a
# test that needs its second run is seen, not hidden.
run_ctest() {
    local dir=$1
    shift
    mkdir -p "$dir"
    LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=null \
        xvfb-run -a -s "-screen 0 1280x1024x24" \
        ctest --test-dir "$dir" --output-on-failure --no-tests=error -j"$JOBS" \
        --repeat until-pass:2 "$@" </dev/null 2>&1 | tee "$dir/ctest-output.log"
}

# What went wrong in each ctest run, short enough to read at the end of a long log: the tests
# that failed a run, then the assertions and sanitizer reports that made them fail.
SANITIZER_FINDINGS='(: Failure$|^ERROR: |^SUMMARY: |runtime error:)'

failure_digest() {
    local log
    for log in "$RELEASE_DIR/ctest-output.log" "$SANITIZE_DIR/ctest-output-leak-scan.log" \
        "$SANITIZE_DIR/ctest-output.log"; do
        [ -f "$log" ] && grep -q -E 'Test +#[0-9]+:.*\*\*\*' "$log" || continue
        say "Failed runs in $log"
        grep -E 'Test +#[0-9]+:.*\*\*\*' "$log" | head -n 20 || true
        grep -E -A4 "$SANITIZER_FINDINGS|Traceback|^FAIL: |Tracer caught signal" \
            "$log" | grep -v -E 'created with angle' | head -n 80 || true
    done
}

FAILED=()
SUMMARY=()

phase() {
    local name=$1 start status
    shift
    start=$(date +%s)
    if "$@"; then status=passed; else status=FAILED; FAILED+=("$name"); fi
    SUMMARY+=("$(printf '%-36s %s in %ss' "$name" "$status" $(($(date +%s) - start)))")
}

sanitized_tests() {
    local supp="$ROOT/tests/sanitizers" log="$SANITIZE_DIR/ctest-output.log"
    local asan="detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:strict_string_checks=1"
    local -x LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
    local -x UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$supp/ubsan.supp"
    local -x QUILLORA_E2E_TIMEOUT_SCALE=3
    ASAN_OPTIONS="detect_leaks=1:$asan" run_ctest "$SANITIZE_DIR" -LE e2e && return 0
    # LeakSanitizer stops every thread with ptrace before it scans; on some machines its tracer
    # crashes among the driver's threads ("Tracer caught signal"), which says nothing about our
    # code. When that is the only kind of failure, the failed tests run once more with every
    # other check on, and both logs stay for the digest.
    grep -q 'LeakSanitizer has encountered a fatal error' "$log" || return 1
    grep -q -E "$SANITIZER_FINDINGS" "$log" && return 1
    mv "$log" "$SANITIZE_DIR/ctest-output-leak-scan.log"
    say "LeakSanitizer's tracer crashed: the failed tests again, without the leak scan"
    ASAN_OPTIONS="detect_leaks=0:$asan" run_ctest "$SANITIZE_DIR" --rerun-failed
}

# The file readers under libFuzzer (clang, ASan/UBSan): a fixed number of mutations from the
# committed seeds with a fixed random seed, so a run finds the same inputs every time.
fuzz_readers() {
    local corpus log target status=0
    CC=clang CXX=clang++ cmake -S . -B "$FUZZ_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQUILLORA_FUZZ=ON -DQUILLORA_TESTS=ON || return 1
    cmake --build "$FUZZ_DIR" -j"$JOBS" --target fuzz_obj fuzz_wallfile fuzz_dds fuzz_image ||
        return 1
    for target in obj wallfile dds image; do
        corpus=$(mktemp -d)
        log="$FUZZ_DIR/fuzz_$target.log"
        if "$FUZZ_DIR/tests/fuzz/fuzz_$target" -runs="$FUZZ_RUNS" -seed=1 -close_fd_mask=3 \
            -artifact_prefix="$ROOT/$FUZZ_DIR/crash-$target-" "$corpus" \
            "tests/fuzz/seeds/$target" </dev/null >"$log" 2>&1; then
            echo "fuzz_$target: $(grep -E '^Done [0-9]+ runs' "$log" | tail -1)"
        else
            echo "fuzz_$target FAILED:"
            tail -n 60 "$log"
            status=1
        fi
        rm -rf "$corpus"
    done
    return $status
}

# Every C++ file laid out by the checked-in .clang-format.
check_format() {
    local files
    mapfile -t files < <(find src tests bench tools -name '*.cpp' -o -name '*.h' | sort)
    clang-format --dry-run --Werror "${files[@]}" && echo "${#files[@]} files laid out as .clang-format says"
}

# Non-blank lines of C++, Python and shell in the given folders.
count_lines() {
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.py' -o -name '*.sh' \) \
        -exec cat {} + | grep -cv '^[[:space:]]*$'
}

# The owner's rule: tests at most 40 % of the code (aim: a third), counted in non-blank lines.
TEST_RATIO_LIMIT=40
check_test_ratio() {
    local tests code
    tests=$(count_lines tests)
    code=$(count_lines src tools bench)
    echo "tests $tests lines, code $code lines: $((100 * tests / code)) % (limit $TEST_RATIO_LIMIT %, aim 33 %)"
    [ $((100 * tests)) -le $((TEST_RATIO_LIMIT * code)) ]
}

# Rooms depend one way: platform/ and assets/ on nothing of the game, only main.cpp on the shell.
check_includes() {
    python3 tools/check_includes.py src
}

test_all() {
    local start
    start=$(date +%s)
    rm -f "$RELEASE_DIR/ctest-output.log" "$SANITIZE_DIR"/ctest-output*.log
    install_packages
    phase "code layout (clang-format)" check_format
    phase "$(check_test_ratio | tail -1)" check_test_ratio
    phase "include directions" check_includes
    phase "release build" build "$RELEASE_DIR" all
    if [[ " ${FAILED[*]} " != *" release build "* ]]; then
        phase "unit and end-to-end tests" run_ctest "$RELEASE_DIR"
    fi
    phase "sanitizer build" build "$SANITIZE_DIR" all -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQUILLORA_SANITIZE=ON
    if [[ " ${FAILED[*]} " != *" sanitizer build "* ]]; then
        phase "unit tests under ASan/UBSan" sanitized_tests
    fi
    if [ -f tests/fuzz/CMakeLists.txt ]; then
        phase "reader fuzzing (libFuzzer)" fuzz_readers
    fi
    say "Summary ($(($(date +%s) - start))s in all)"
    printf '%s\n' "${SUMMARY[@]}"
    failure_digest
    if [ ${#FAILED[@]} -ne 0 ]; then
        echo "FAILED: ${FAILED[*]}"
        exit 1
    fi
    echo "All tests passed."
}

case "${1:-}" in
    play) play ;;
    test) test_all ;;
    package) package ;;
    *) usage ;;
esac
