# Writes the static site: the pages, styles, scripts and pictures, and the
# home page with the release's downloads filled in.
#   cmake -DSOURCE=web/ -DSITE=out/ -DRELEASE=dist/ -DVERSION=x.y.z
#         -DFILES="a;b" -DIMAGES="p;q" -P make_site.cmake
file(MAKE_DIRECTORY ${SITE}/images)
foreach(f IN LISTS FILES)
  configure_file(${SOURCE}/${f} ${SITE}/${f} COPYONLY)
endforeach()
foreach(f IN LISTS IMAGES)
  get_filename_component(name ${f} NAME)
  configure_file(${f} ${SITE}/images/${name} COPYONLY)
endforeach()

# One table row per release file that is there: name (a link to the file
# beside the page), what it is, its size and its SHA-256.
set(release_files
  "Varominea-${VERSION}-setup.exe|installer for 64-bit Windows|Windows 64 ビット用のインストーラー"
  "Varominea-${VERSION}-windows.zip|portable: x64 and x86 Varominea.scr|ポータブル版: x64 と x86 の Varominea.scr"
  "Varominea-${VERSION}-symbols.zip|debug symbols of both programs|両プログラムのデバッグ情報"
  "varominea_${VERSION}_amd64.deb|Debian 12 package of the Linux saver (X11 and Wayland)|Linux 版（X11・Wayland）の Debian 12 パッケージ")
set(rows_en "")
set(rows_ja "")
set(found 0)
foreach(entry IN LISTS release_files)
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 name)
  list(GET parts 1 what_en)
  list(GET parts 2 what_ja)
  if(NOT EXISTS "${RELEASE}/${name}")
    continue()
  endif()
  math(EXPR found "${found} + 1")
  file(SIZE "${RELEASE}/${name}" bytes)
  file(SHA256 "${RELEASE}/${name}" sum)
  math(EXPR kib "(${bytes} + 1023) / 1024")
  set(cells "<td><a href=\"${name}\">${name}</a></td>")
  string(APPEND rows_en "<tr>${cells}<td>${what_en}</td><td>${kib} KiB (${bytes} bytes)</td><td><code class=\"sum\">${sum}</code></td></tr>\n")
  string(APPEND rows_ja "<tr>${cells}<td>${what_ja}</td><td>${kib} KiB (${bytes} バイト)</td><td><code class=\"sum\">${sum}</code></td></tr>\n")
endforeach()
if(found EQUAL 0)
  set(DOWNLOADS_EN "<p class=\"note\">No release has been built here yet: build the release to fill these (<code>bash tools/package.sh</code>, then build the <code>web</code> preset again).</p>")
  set(DOWNLOADS_JA "<p class=\"note\">まだリリースがビルドされていません。リリースをビルドすると、ここに一覧が出ます（<code>bash tools/package.sh</code> の後に <code>web</code> プリセットをもう一度ビルド）。</p>")
else()
  set(head_en "<tr><th scope=\"col\">File</th><th scope=\"col\">What</th><th scope=\"col\">Size</th><th scope=\"col\">SHA-256</th></tr>")
  set(head_ja "<tr><th scope=\"col\">ファイル</th><th scope=\"col\">内容</th><th scope=\"col\">サイズ</th><th scope=\"col\">SHA-256</th></tr>")
  set(DOWNLOADS_EN "<div class=\"table\"><table><thead>${head_en}</thead><tbody>\n${rows_en}</tbody></table></div>")
  set(DOWNLOADS_JA "<div class=\"table\"><table><thead>${head_ja}</thead><tbody>\n${rows_ja}</tbody></table></div>")
endif()
configure_file(${SOURCE}/index.html.in ${SITE}/index.html @ONLY)
