#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests, the sanitizer build and the fuzzer
# need, and only those that are missing, so a second run costs a few dpkg queries.
set -euo pipefail

required=(
    cmake g++ make pkg-config
    qt6-base-dev libzip-dev libpugixml-dev libsodium-dev
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    unzip zip xvfb xauth
    libchm-dev fp-utils libxml2-dev
    clang libclang-rt-14-dev
    fonts-liberation2 fonts-crosextra-carlito fonts-crosextra-caladea poppler-utils
)
# Nice to have: the build falls back to make without it.
optional=(ninja-build)

installed() {
    [[ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" == "install ok installed" ]]
}

missing=()
for p in "${required[@]}"; do
    installed "$p" || missing+=("$p")
done
missing_optional=()
for p in "${optional[@]}"; do
    installed "$p" || missing_optional+=("$p")
done

if ((${#missing[@]} == 0 && ${#missing_optional[@]} == 0)); then
    echo "install-deps: all packages present"
    exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
    if ((${#missing[@]} == 0)); then
        echo "install-deps: optional packages missing (${missing_optional[*]}), not root: skipped"
        exit 0
    fi
    echo "install-deps: missing packages: ${missing[*]}; run this script as root" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
echo "install-deps: installing ${missing[*]} ${missing_optional[*]}"
apt-get update -q
if ((${#missing[@]} > 0)); then
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if ((${#missing_optional[@]} > 0)); then
    apt-get install -y -q --no-install-recommends "${missing_optional[@]}" ||
        echo "install-deps: optional ${missing_optional[*]} not installed, going on"
fi
