# SPDX-License-Identifier: MIT
# Sourced by the benchmarks that compare a git ref ("before") with the working tree ("after"):
# a scratch folder, a worktree of the ref in it, and Release builds of either. Expects `root`.

work=$(mktemp -d /tmp/navlist-bench-XXXXXX)
before_tree=$work/before-src
cleanup() {
  git -C "$root" worktree remove --force "$before_tree" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

build() { # <source> <build folder> <targets...>
  local source=$1 folder=$2
  shift 2
  cmake -S "$source" -B "$folder" -DCMAKE_BUILD_TYPE=Release -DNAVLIST_BENCH=ON \
    -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$folder" -j2 --target "$@" >/dev/null
}

# Builds navlist at `ref` into $work/before/navlist.
build_before() { # <ref>
  git -C "$root" worktree add --detach "$before_tree" "$1" >/dev/null 2>&1
  build "$before_tree" "$work/before" navlist
}
