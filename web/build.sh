#!/usr/bin/env bash
# Builds the show for the browser into build-web/site/: index.html, page.js, nimra.js,
# nimra.wasm and nimra.data (the show's files, packed). Needs web/setup.sh's libraries and
# the baked data/ (the native build bakes it).
set -euo pipefail
cd "$(dirname "$0")/.."
# Debian's emcc wants Debian's Python modules first on PATH, and finds acorn through Node.
export PATH=/usr/bin:$PATH NODE_PATH=/usr/share/nodejs

[ -f data/tromblo-slow_harbour.mp3 ] || { echo "web build: data/ is not baked; build natively first" >&2; exit 1; }
[ -f build-web/libs/lib/libmpg123.a ] || { echo "web build: run web/setup.sh first" >&2; exit 1; }

# The show's files as the browser gets them: every file the show loads, the shaders made
# GLSL ES and checked. Only a changed set is packed again.
stage=build-web/stage
rm -rf "$stage.new" && mkdir -p "$stage.new"
for f in data/*; do
    case "$f" in
        *.vert | *.frag | *.part) ;;
        *) [ -f "$f" ] && cp "$f" "$stage.new/" ;;
    esac
done
node web/convert-shaders.js data "$stage.new"
if [ -d "$stage" ] && diff -rq "$stage" "$stage.new" >/dev/null 2>&1; then
    rm -rf "$stage.new"
else
    rm -rf "$stage" && mv "$stage.new" "$stage"
    rm -f build-web/cmake/nimra.js
fi

emcmake cmake -S web -B build-web/cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-web/cmake -j2

site=build-web/site
rm -rf "$site.new" && mkdir -p "$site.new"
cp build-web/cmake/nimra.js build-web/cmake/nimra.wasm build-web/cmake/nimra.data \
    web/page/index.html "$site.new/"
# The page checks its parameters before the program loads, against the show's own length.
show_length=$(sed -n 's/^constexpr int showLength = \([0-9]*\);.*/\1/p' demo/show.h)
[ -n "$show_length" ] || { echo "web build: no showLength in demo/show.h" >&2; exit 1; }
sed "s/@SHOW_LENGTH@/$show_length/" web/page/page.js >"$site.new/page.js"
rm -rf "$site" && mv "$site.new" "$site"
echo "web build: $(du -sh "$site" | cut -f1) in $site"
