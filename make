#!/bin/sh
# `make` for a machine that may not have it yet, such as a bare Debian 12: brings make (with what
# building needs) through scripts/install-deps, then runs make here with the same arguments.
#   ./make run     ./make test     ./make test CMAKE_FLAGS=-DORVANE_WERROR=ON
set -e
cd "$(dirname "$0")"
command -v make >/dev/null 2>&1 || scripts/install-deps build
exec make "$@"
