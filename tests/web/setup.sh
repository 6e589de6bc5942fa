#!/usr/bin/env bash
# Installs the browser tests' Node packages (puppeteer-core, pngjs) from the committed lock
# file, when node_modules is missing or was installed from another lock file. Chromium
# itself comes from Debian (the browser build's setup installs it); no browser is downloaded.
set -euo pipefail
cd "$(dirname "$0")"

# Node itself comes with Emscripten; npm is Debian's where nothing else brought one.
if ! command -v npm >/dev/null; then
    echo "web tests setup: installing Debian's npm"
    as_root=()
    [ "$(id -u)" -eq 0 ] || as_root=(sudo)
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends npm
fi
stamp=node_modules/.nimra-lock-sha256
want=$(sha256sum package-lock.json | cut -d' ' -f1)
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ]; then
    echo "web tests setup: node packages up to date"
    exit 0
fi
echo "web tests setup: npm ci"
PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error
echo "$want" >"$stamp"
