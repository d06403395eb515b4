# Sourced by the scripts that build: krz_configure DIR [cmake arguments...] configures a build
# folder of the sources in $top once (Release unless told otherwise); later calls leave it as
# it is, so that a build picks up only what changed. krz_quietly WHAT COMMAND... runs a command
# of the script in this shell with its output added to the file $log; when it fails, it shows
# the log's end, named after the script, and stops the script.
krz_configure() {
    local dir=$1
    shift
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@"
    fi
}

krz_quietly() {
    local what=$1 name
    name=$(basename "$0" .sh)
    shift
    if ! "$@" >>"$log" 2>&1; then
        echo "$name: $what failed:" >&2
        tail -n 80 "$log" >&2
        echo "$name: (the whole output is in $log)" >&2
        exit 1
    fi
}
