#!/usr/bin/env bash
# nimra's one entry point on a fresh Debian 12 machine:
#   ./run.sh demo [OPTIONS]   install what is missing, build, bake the assets, play the demo
#                             (the options go to the demo: build/nimra --help)
#   ./run.sh test             install what is missing, build, bake the assets, run every test
set -euo pipefail
cd "$(dirname "$0")"

what=${1:-}
case "$what" in
    demo | test) shift ;;
    *) echo "usage: $0 demo [OPTIONS] | $0 test" >&2; exit 2 ;;
esac

tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2

if [ "$what" = test ]; then
    # One test plays the show through a capture tool built under AddressSanitizer and
    # UndefinedBehaviorSanitizer, in a tree of its own.
    cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMRA_SANITIZE=ON
    cmake --build build-sanitize -j2 --target capture
    # The browser tests' Node packages (puppeteer-core, pngjs).
    tests/web/setup.sh
    exec ctest --test-dir build --output-on-failure -j2
fi

# The demo loads everything from its working directory, unless told where with --data.
demo=$PWD/build/nimra
xvfb=$PWD/tests/with-xvfb.sh
case " $* " in *" --data "*) ;; *) cd data ;; esac
if [ -z "${DISPLAY:-}" ]; then
    echo "run.sh: no DISPLAY; playing on a private Xvfb display with SDL's dummy audio"
    export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
    exec "$xvfb" "$demo" "$@"
fi
exec "$demo" "$@"
