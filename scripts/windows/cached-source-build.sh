# Builds of outside libraries for Windows from Debian's own source packages,
# cached outside any build folder, keyed by the source version, the
# processor and the build's configuration, so a machine builds each once:
#   ${ZAVI_CACHE:-~/.cache/zaviplaysdk}/<package>-<version>-<processor>-<config hash>/
# Sourced by scripts/windows/build-*.sh; messages go to stderr, since those
# scripts print only the prefix on stdout.
cache_root="${ZAVI_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zaviplaysdk}"

# A private apt directory holds the deb-src entries for the machine's own
# Debian sources, so the machine's apt configuration is left as it was.
source_apt_dir="$cache_root/apt"
source_apt_opts=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$source_apt_dir/sources.list.d"
                 -o "Dir::State::Lists=$source_apt_dir/lists" -o "Dir::Cache=$source_apt_dir/cache")

source_apt_update() {
  mkdir -p "$source_apt_dir"/{sources.list.d,lists/partial,cache/archives/partial}
  local sources
  for sources in /etc/apt/sources.list.d/*.sources; do
    [ -e "$sources" ] || continue
    grep -q '^URIs: .*debian' "$sources" || continue
    sed 's/^Types: deb$/Types: deb-src/' "$sources" > "$source_apt_dir/sources.list.d/src-$(basename "$sources")"
  done
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*\)$/deb-src \1/p' /etc/apt/sources.list > "$source_apt_dir/sources.list.d/src.list"
  fi
  apt-get "${source_apt_opts[@]}" update -qq >&2
}

# cached_source_prefix PACKAGE PROCESSOR CONFIG...: the cache folder of
# PACKAGE's current Debian source version built for PROCESSOR with CONFIG
# (the words that shape the build). A folder holding .complete is ready.
cached_source_prefix() {
  local package=$1 processor=$2 version config_hash
  shift 2
  source_apt_update
  version=$(apt-cache "${source_apt_opts[@]}" showsrc "$package" | sed -n 's/^Version: //p' | head -1)
  [ -n "$version" ] || { echo "no $package source package found" >&2; return 1; }
  config_hash=$(printf '%s\n' "$@" | sha1sum | cut -c1-10)
  echo "$cache_root/$package-${version//[:~+]/_}-$processor-$config_hash"
}

# fetch_source PACKAGE DIR: unpacks Debian's source of PACKAGE (its patches
# applied) into DIR and prints the source tree's path.
fetch_source() {
  local package=$1 dir=$2
  ( cd "$dir" && apt-get "${source_apt_opts[@]}" source -qq "$package" >&2 )
  find "$dir" -maxdepth 1 -type d -name "$package-*" | head -1
}

# finish_cached_source PACKAGE PROCESSOR PREFIX: marks PREFIX ready and
# removes the builds of earlier versions or configurations.
finish_cached_source() {
  local package=$1 processor=$2 prefix=$3
  touch "$prefix/.complete"
  find "$cache_root" -maxdepth 1 -name "$package-*-$processor-*" ! -path "$prefix" -exec rm -rf {} +
}
