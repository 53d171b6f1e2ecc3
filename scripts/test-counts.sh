# Sourced: counts in a ctest log, for the closing lines.
passed() { grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed' "$1" || true; }
failed() { echo $(($(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: ' "$1" || true) - $(passed "$1"))); }
