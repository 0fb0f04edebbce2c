# Writes the fontconfig file of the restricted-font test run: it offers the
# fonts of one folder, DejaVu's, and nothing else (no system configuration),
# with a cache of its own beside it that starts cold. As on a machine with
# only DejaVu installed, a family that is not there falls back to sans-serif,
# and the generic families name DejaVu's faces: without these rules every
# font, Qt's default "Sans Serif" included, would resolve to whichever face
# fontconfig lists first (DejaVu Math TeX Gyre), which no machine shows.
#   cmake -DFONT_DIR=<DejaVu folder> -DOUTPUT=<fonts.conf> -P write-dejavu-only.cmake
get_filename_component(folder "${OUTPUT}" DIRECTORY)
file(REMOVE_RECURSE "${folder}/cache")
file(WRITE "${OUTPUT}" "<?xml version=\"1.0\"?>
<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">
<fontconfig>
  <dir>${FONT_DIR}</dir>
  <cachedir>${folder}/cache</cachedir>
  <match target=\"pattern\">
    <test qual=\"all\" name=\"family\" compare=\"not_eq\"><string>sans-serif</string></test>
    <test qual=\"all\" name=\"family\" compare=\"not_eq\"><string>serif</string></test>
    <test qual=\"all\" name=\"family\" compare=\"not_eq\"><string>monospace</string></test>
    <edit name=\"family\" mode=\"append_last\"><string>sans-serif</string></edit>
  </match>
  <alias><family>sans-serif</family><prefer><family>DejaVu Sans</family></prefer></alias>
  <alias><family>serif</family><prefer><family>DejaVu Serif</family></prefer></alias>
  <alias><family>monospace</family><prefer><family>DejaVu Sans Mono</family></prefer></alias>
</fontconfig>
")
