#!/bin/sh
# Runs a test command inside a cpuset cgroup limited to the first processor,
# with KILNOVA_IN_CPUSET=1. Exits 77 (skipped) where that cannot be done:
# not root, one processor only, or no cpuset hierarchy to make a group in.
[ "$(id -u)" -eq 0 ] || exit 77
[ "$(nproc --all)" -ge 2 ] || exit 77
group=""
if [ -w /sys/fs/cgroup/cpuset/tasks ]; then
    group=/sys/fs/cgroup/cpuset/kilnova-test-$$
    mkdir "$group" || exit 77
    echo 0 >"$group/cpuset.cpus" && echo 0 >"$group/cpuset.mems" || { rmdir "$group"; exit 77; }
    tasks=tasks
elif grep -qw cpuset /sys/fs/cgroup/cgroup.controllers 2>/dev/null; then
    echo +cpuset >/sys/fs/cgroup/cgroup.subtree_control 2>/dev/null
    group=/sys/fs/cgroup/kilnova-test-$$
    mkdir "$group" || exit 77
    echo 0 >"$group/cpuset.cpus" || { rmdir "$group"; exit 77; }
    tasks=cgroup.procs
else
    exit 77
fi
KILNOVA_IN_CPUSET=1 sh -c 'echo $$ >"$1/$2" && shift 2 && exec "$@"' sh "$group" "$tasks" "$@"
status=$?
rmdir "$group"
exit $status
