# Writes the static site: the pages, styles, scripts and pictures, and the
# home page with the release's downloads filled in.
#   cmake -DSOURCE=web/ -DSITE=out/ -DRELEASE=dist/ -DVERSION=x.y.z
#         -DFILES="a;b" -DIMAGES="p;q" -DSOURCE_URL=... -DREADME_URL=...
#         [-DRELEASE_URL=...] -P make_site.cmake
# RELEASE_URL is the folder the release files are served from: given, the
# downloads link there; without it they link to the files beside the page,
# and the page says that they are not in its own zip.
file(MAKE_DIRECTORY ${SITE}/images)
foreach(f IN LISTS FILES)
  configure_file(${SOURCE}/${f} ${SITE}/${f} COPYONLY)
endforeach()
foreach(f IN LISTS IMAGES)
  get_filename_component(name ${f} NAME)
  configure_file(${f} ${SITE}/images/${name} COPYONLY)
endforeach()

# An address as an attribute value.
function(html_escape out text)
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  string(REPLACE "\"" "&quot;" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
html_escape(SOURCE_HREF "${SOURCE_URL}")
html_escape(README_HREF "${README_URL}")
set(base "")
if(RELEASE_URL)
  string(REGEX REPLACE "/+$" "" base "${RELEASE_URL}")
  html_escape(base "${base}/")
  set(WHERE_EN "The files are served from <a href=\"${base}\">${base}</a>.")
  set(WHERE_JA "ファイルは <a href=\"${base}\">${base}</a> にあります。")
else()
  set(WHERE_EN "The files are not inside this page's zip: they sit beside this page on the host the release is published on, so the links below work there, not on a copy opened from disk.")
  set(WHERE_JA "ファイルはこのページの zip には入っていません。リリースを公開しているサーバーで、このページと同じ場所に置かれています。下のリンクはそこで開いたときに使え、ディスクから開いたコピーでは使えません。")
endif()
set(SUMS_HREF "${base}SHA256SUMS")

# One table row per release file that is there: name (a link to the file),
# what it is, its size and its SHA-256; then SHA256SUMS, which is written
# after this page (it sums the page's zip too), so it has no figures here.
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
  set(cells "<td><a href=\"${base}${name}\">${name}</a></td>")
  string(APPEND rows_en "<tr>${cells}<td>${what_en}</td><td>${kib} KiB (${bytes} bytes)</td><td><code class=\"sum\">${sum}</code></td></tr>\n")
  string(APPEND rows_ja "<tr>${cells}<td>${what_ja}</td><td>${kib} KiB (${bytes} バイト)</td><td><code class=\"sum\">${sum}</code></td></tr>\n")
endforeach()
if(found EQUAL 0)
  set(DOWNLOADS_EN "<p class=\"note\">No release has been built here yet: build the release to fill these (<code>bash tools/package.sh</code>, then build the <code>web</code> preset again).</p>")
  set(DOWNLOADS_JA "<p class=\"note\">まだリリースがビルドされていません。リリースをビルドすると、ここに一覧が出ます（<code>bash tools/package.sh</code> の後に <code>web</code> プリセットをもう一度ビルド）。</p>")
else()
  set(head_en "<tr><th scope=\"col\">File</th><th scope=\"col\">What</th><th scope=\"col\">Size</th><th scope=\"col\">SHA-256</th></tr>")
  set(head_ja "<tr><th scope=\"col\">ファイル</th><th scope=\"col\">内容</th><th scope=\"col\">サイズ</th><th scope=\"col\">SHA-256</th></tr>")
  set(sums "<td><a href=\"${SUMS_HREF}\">SHA256SUMS</a></td>")
  string(APPEND rows_en "<tr>${sums}<td>the SHA-256 of every other file of this release, the winget manifest and this page's zip included</td><td></td><td></td></tr>\n")
  string(APPEND rows_ja "<tr>${sums}<td>このリリースのほかの全ファイル（winget のマニフェストとこのページの zip を含む）の SHA-256</td><td></td><td></td></tr>\n")
  # The table scrolls sideways where it is wider than the screen, so every
  # checksum stays on one line; a scrolling region must take the focus to
  # be scrolled by keyboard.
  set(DOWNLOADS_EN "<div class=\"table\" tabindex=\"0\" role=\"region\" aria-label=\"Release files\"><table><thead>${head_en}</thead><tbody>\n${rows_en}</tbody></table></div>")
  set(DOWNLOADS_JA "<div class=\"table\" tabindex=\"0\" role=\"region\" aria-label=\"リリースのファイル\"><table><thead>${head_ja}</thead><tbody>\n${rows_ja}</tbody></table></div>")
endif()
configure_file(${SOURCE}/index.html.in ${SITE}/index.html @ONLY)
