#!/usr/bin/env bash
# nimra's one entry point on a fresh Debian 12 machine:
#   ./run.sh demo [OPTIONS]   install what is missing, build, bake the assets, play the demo
#                             (the options go to the demo: build/nimra --help)
#   ./run.sh test             install what is missing, build, bake the assets, build the
#                             browser site, run every test
#   ./run.sh web [--build]    install what is missing, bake the assets, build the show for
#                             the browser into build-web/site/ and serve it on
#                             http://127.0.0.1:8080/ (--build: only build)
set -euo pipefail
cd "$(dirname "$0")"

what=${1:-}
case "$what" in
    demo | test | web) shift ;;
    *) echo "usage: $0 demo [OPTIONS] | $0 test | $0 web [--build]" >&2; exit 2 ;;
esac

tools/setup.sh
if [ "$what" = web ]; then
    case "${1:-}" in '' | --build) ;; *) echo "usage: $0 web [--build]" >&2; exit 2 ;; esac
    web/setup.sh
    # The site packs the baked files: the native build bakes them.
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build -j2 --target bake_assets
    web/build.sh
    [ "${1:-}" = --build ] && exit 0
    echo "nimra: serving build-web/site on http://127.0.0.1:8080/ (Ctrl-C stops)"
    exec python3 -m http.server 8080 --bind 127.0.0.1 --directory build-web/site
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2

if [ "$what" = test ]; then
    # One test plays the show through a capture tool built under AddressSanitizer and
    # UndefinedBehaviorSanitizer, in a tree of its own.
    cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMRA_SANITIZE=ON
    cmake --build build-sanitize -j2 --target capture
    # The browser tests load the site as ./run.sh web --build makes it (its setup also
    # installs the tests' Node packages).
    web/setup.sh
    web/build.sh
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
