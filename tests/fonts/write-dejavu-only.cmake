# Writes the fontconfig file of the restricted-font test run: it offers the
# fonts of one folder, DejaVu's, and nothing else (no system configuration,
# no aliases), with a cache of its own beside it that starts cold.
#   cmake -DFONT_DIR=<DejaVu folder> -DOUTPUT=<fonts.conf> -P write-dejavu-only.cmake
get_filename_component(folder "${OUTPUT}" DIRECTORY)
file(REMOVE_RECURSE "${folder}/cache")
file(WRITE "${OUTPUT}" "<?xml version=\"1.0\"?>
<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">
<fontconfig>
  <dir>${FONT_DIR}</dir>
  <cachedir>${folder}/cache</cachedir>
</fontconfig>
")
