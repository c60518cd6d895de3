#!/bin/sh
# The worker pool and the batch tool's threaded tests, repeated under a time limit: the
# tests that start and end the pool's threads the most for the time they take.
#
#   tools/stress-pool.sh build/dev [REPEATS] [SECONDS]        (Linux; 10000 repeats: about 3.5 min)
#   tools/stress-pool.sh build/windows [REPEATS] [SECONDS]    (under Wine; 10000: about 21 min)
#
# Exits non-zero when a test fails or the limit (default 3600 s) is reached.
set -eu
build=$1
repeats=${2:-10000}
limit=${3:-3600}
filter='OrderedPool.NothingSubmittedFinishesAtOnce:OrderedPool.AFailedDeliveryStopsEverythingAfterIt'
filter="$filter:OrderedPool.AThrowStopsTheDeliveryAndReachesFinish"
filter="$filter:Batch.OneLineAloneGivesTheSameAnswer:Batch.TextsComeBackAsGiven"
filter="$filter:Batch.AWriteFailureHalfwayStopsTheRun"
set -- --gtest_filter="$filter" --gtest_repeat="$repeats" --gtest_brief=1
cd "$(dirname "$0")/.."
if [ -e "$build/tests/cli_tests.exe" ]; then
    exec tools/wine-session.sh "$build" \
        timeout "$limit" tools/wine-session.sh run "$build/tests/cli_tests.exe" "$@"
fi
exec timeout "$limit" "$build/tests/cli_tests" "$@"
