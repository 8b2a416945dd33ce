#!/usr/bin/env bash
# Runs the bundled example project: draws the sample images into
# examples/samples/, then passes them through examples/example.pms with
# pixmill-batch. Results land in examples/output/samples/ (a mirror of the
# samples tree), the log in examples/output/example.log.
#   examples/run-example.sh BIN_DIR
set -euo pipefail
bin_dir="${1:?usage: examples/run-example.sh BIN_DIR}"
bin_dir=$(cd "$bin_dir" && pwd)
cd "$(dirname "$0")"

# The project's paths are relative to this folder. The samples are drawn
# afresh on every run, so they always match the generator.
rm -rf samples
"$bin_dir/pixmill-make-samples" samples
# Results of an earlier run would hide a missing one. They land in one
# folder named after the samples folder's full path ("_home_me_pixmill_
# examples_samples"), so everything below output/ is cleared.
rm -rf output
mkdir -p output

status=0
"$bin_dir/pixmill-batch" --log output/example.log run example.pmp || status=$?

echo
echo "Results in $(pwd)/output/:"
results=$(cd output && find . -mindepth 2 -type f | sort | sed 's|^\./|  |')
echo "${results:-  (none)}"
echo "Log file: $(pwd)/output/example.log"
exit "$status"
