#!/usr/bin/env bash
# Regenerates the demo event in demo/: the participant pool, the prize table,
# the background and prize pictures and the two music files. The outputs are
# committed; run this only to change them. Needs ImageMagick, iconv and sox
# with its MP3 format (apt-get install imagemagick sox libsox-fmt-mp3).
set -euo pipefail
cd "$(dirname "$0")/../demo"

need() { command -v "$1" >/dev/null || { echo "missing tool: $1 ($2)" >&2; exit 1; }; }
need convert imagemagick
need iconv libc-bin
need sox "sox libsox-fmt-mp3"

# --- participant pool: 360 entries "工号 姓名", GBK, CR LF ------------------
surnames=(王 李 张 刘 陈 杨 黄 赵 吴 周 徐 孙 马 朱 胡 郭 何 高 林 罗 郑 梁 谢 宋)
given=(伟 芳 娜 敏 静 丽 强 磊 军 洋 勇 艳 杰 娟 涛 明 超 秀英 华 平 刚 桂英 晨 浩 宇 欣 怡 子涵 思远 佳琪)
{
    for ((i = 0; i < 360; i++)); do
        s=${surnames[$(((i * 7 + 3) % ${#surnames[@]}))]}
        g=${given[$(((i * 11 + i / 5) % ${#given[@]}))]}
        printf '%04d %s%s\r\n' $((1001 + i)) "$s" "$g"
    done
} | iconv -f UTF-8 -t GBK >抽奖号码库.txt

# --- prize table -------------------------------------------------------------
# name, quota, per draw, columns for 特等奖 .. 七等奖 (the last two levels unused)
levels=(特等奖 一等奖 二等奖 三等奖 四等奖 五等奖 六等奖 七等奖)
names=(特等奖 一等奖 二等奖 三等奖 幸运奖 阳光普照奖 "" "")
quotas=(1 3 6 10 20 40 "" "")
perdraw=(1 1 3 5 10 20 1 1)
columns=(1 1 3 3 5 5 1 1)
{
    printf '[zbt]\r\n'
    printf 'zbt=星河科技2025年会\r\n'
    printf 'fbt=—— 感恩同行 · 共创未来 ——\r\n'
    for i in "${!levels[@]}"; do printf '%s=%s\r\n' "${levels[$i]}" "${names[$i]}"; done
    for i in "${!levels[@]}"; do printf '%s人数=%s\r\n' "${levels[$i]}" "${quotas[$i]}"; done
    for i in "${!levels[@]}"; do printf '%s一次抽取人数=%s\r\n' "${levels[$i]}" "${perdraw[$i]}"; done
    for i in "${!levels[@]}"; do printf '列%d=%s\r\n' $((i + 1)) "${columns[$i]}"; done
    printf '滚动速度=30\r\n是否允许重复=假\r\n奖品图片宽=220\r\n奖品图片高=165\r\n'
    printf '自动停止=0\r\n烟花时间=3\r\n禁用特效=假\r\n不显示按钮=假\r\n'
    printf '屏蔽启用=假\r\n屏蔽左=4\r\n屏蔽右=7\r\n屏蔽字符=****\r\n'
    # 二等奖's winners as cards: the demo's few dozen photos are not most of
    # the pool, which would turn cards on by themselves (make-demo-photos.sh).
    printf '照片3=1\r\n'
    # The layout of a 1024x768 screen, which the program scales to the screen in
    # use; only tops are given, so the titles, the buttons and the winners stay
    # centred. The prize picture sits at the right of the buttons and the
    # congratulation line, above the winners, so that the 20 winners of the
    # last level have the whole width down to the selector row (which keeps
    # its place 90 pixels above the bottom edge).
    printf '[weizhi]\r\n屏幕宽度=1024\r\n屏幕高度=768\r\n'
    printf '[zweizhi]\r\n'
    printf '标签1左边=0\r\n标签1顶边=22\r\n标签2顶边=116\r\n'
    printf '超级按钮_开始顶边=170\r\n超级按钮_停止顶边=170\r\n透明标签_按钮移动顶边=170\r\n'
    printf '透明标签_恭喜顶边=246\r\n标签_中奖人顶边=318\r\n'
    printf '动画框_奖品图片左边=780\r\n动画框_奖品图片顶边=150\r\n'
} | iconv -f UTF-8 -t GBK >peizhi.a

# --- pictures ----------------------------------------------------------------
# A star of n points about cx,cy as an ImageMagick polygon (outer r, inner ri, turned by rot degrees).
star() {
    awk -v cx="$1" -v cy="$2" -v r="$3" -v ri="$4" -v n="$5" -v rot="$6" 'BEGIN {
        pi = atan2(0, -1); s = "polygon"
        for (k = 0; k < 2 * n; k++) {
            a = rot * pi / 180 + pi * k / n - pi / 2; rr = (k % 2 == 0) ? r : ri
            s = s sprintf(" %.1f,%.1f", cx + rr * cos(a), cy + rr * sin(a))
        }
        print s }'
}
GOLD='#f2c230'
GOLDL='#ffe48a'
GOLDD='#b9801c'

# --- the background: 16:9, scaled to fill the screen and cropped evenly, so
# 4:3 and 5:4 screens lose its sides. The decoration therefore lies in thin
# bands along the top and bottom edges (clear of the titles and of the
# selector row) and in two lanterns well inside the sides. is scaled to fill the screen and cropped evenly: a 16:9
# picture loses its sides on 4:3 and 5:4 screens. So the decoration lies in
# a thin band along the top and the bottom edge (clear of the titles and the
# selector row) and in two lanterns well inside the sides.
# A lantern hanging from the top band, centred on x (added to the array deco);
# it ends 150 pixels down, above the prize picture of the demo layout.
deco=()
lantern() {
    local x=$1
    deco+=(-stroke "$GOLDD" -strokewidth 3 -draw "line $x,14 $x,32"
        -stroke none -fill "$GOLD" -draw "roundrectangle $((x - 22)),30 $((x + 22)),42 4,4"
        -fill '#e0141e' -stroke '#8c0a10' -strokewidth 2 -draw "ellipse $x,80 50,40 0,360"
        -fill none -stroke '#a00c14' -strokewidth 2 -draw "ellipse $x,80 26,40 0,360" -draw "line $x,40 $x,120"
        -stroke none -fill 'rgba(255,220,140,0.35)' -draw "ellipse $((x - 19)),70 10,22 0,360"
        -fill "$GOLD" -draw "roundrectangle $((x - 22)),116 $((x + 22)),128 4,4"
        -stroke "$GOLD" -strokewidth 2 -draw "line $x,128 $x,136" -draw "line $((x - 5)),132 $((x - 7)),148"
        -draw "line $x,132 $x,150" -draw "line $((x + 5)),132 $((x + 7)),148")
}
lantern 330
lantern 1270
bokeh=()
for p in "300 420 70" "1320 380 90" "520 640 50" "1120 660 60" "800 300 110" "180 700 40" "1460 620 45"; do
    set -- $p
    bokeh+=(-draw "circle $1,$2 $(($1 + $3)),$2")
done
waves=()
for ((x = 0; x <= 1640; x += 48)); do
    waves+=(-draw "circle $x,900 $((x + 30)),900" -draw "circle $((x + 24)),904 $((x + 24 + 14)),904")
done
convert -size 1600x900 radial-gradient:'#c0161f-#3a0306' \
    \( -size 1600x900 xc:none -fill 'rgba(255,190,90,0.10)' "${bokeh[@]}" -blur 0x18 \) -composite \
    -fill 'rgba(60,0,4,0.55)' -stroke none -draw 'rectangle 0,858 1600,900' \
    -fill none -stroke 'rgba(242,194,48,0.55)' -strokewidth 2 "${waves[@]}" \
    -stroke "$GOLD" -strokewidth 3 -draw 'line 0,858 1600,858' -strokewidth 1 -draw 'line 0,864 1600,864' \
    -fill 'rgba(60,0,4,0.55)' -stroke none -draw 'rectangle 0,0 1600,12' \
    -stroke "$GOLD" -strokewidth 3 -draw 'line 0,12 1600,12' -strokewidth 1 -draw 'line 0,6 1600,6' \
    "${deco[@]}" \
    -strip -quality 85 底图.jpg

# --- prize pictures: drawn objects without any text, since the operator
# renames the levels and the hall must not read one name above a picture of
# another. A dark festive ground with a warm glow behind the object, a few
# sparkles and a thin gold edge; drawn at 480x360 and reduced to the demo's
# picture box (220x165).
mkdir -p 奖品图片
prize() {
    local out=$1
    shift
    local sparkle=()
    for p in "60 60 14" "420 70 10" "84 300 9" "410 306 12" "44 182 6" "446 196 7" "150 36 6" "336 30 8"; do
        set -- $p "$@"
        sparkle+=(-draw "$(star "$1" "$2" "$3" $(($3 / 4)) 4 0)")
        shift 3
    done
    convert -size 480x360 radial-gradient:'#6e0d16-#1a0308' \
        \( -size 480x360 xc:none -fill 'rgba(255,196,80,0.6)' -draw 'ellipse 240,185 150,125 0,360' \
           -blur 0x45 \) -compose screen -composite \
        -compose over -gravity northwest "$@" \
        -stroke none -fill 'rgba(255,236,170,0.85)' "${sparkle[@]}" \
        -fill none -stroke '#e8b64a' -strokewidth 6 -draw 'rectangle 3,3 476,356' \
        -resize 220x165 -strip -quality 85 "$out"
}

prize 奖品图片/1.jpg \
    -stroke "$GOLD" -strokewidth 13 -fill none \
    -draw "path 'M 176,92 C 112,92 116,170 196,178'" -draw "path 'M 304,92 C 368,92 364,170 284,178'" \
    -stroke "$GOLDD" -strokewidth 2 -fill "$GOLD" \
    -draw "path 'M 166,68 L 314,68 Q 310,196 240,222 Q 170,196 166,68 Z'" \
    -stroke none -fill "$GOLDL" -draw "path 'M 184,76 L 212,76 Q 210,170 236,206 Q 190,184 184,76 Z'" \
    -fill "$GOLDD" -draw "path 'M 290,76 L 306,76 Q 300,180 252,214 Q 290,170 290,76 Z'" \
    -fill "$GOLDL" -stroke "$GOLDD" -strokewidth 2 -draw 'ellipse 240,68 74,13 0,360' \
    -fill '#7a1010' -stroke none -draw 'ellipse 240,68 62,8 0,360' \
    -fill "$GOLD" -stroke "$GOLDD" -strokewidth 2 -draw 'rectangle 229,218 251,262' \
    -draw 'ellipse 240,222 24,7 0,360' -draw 'rectangle 188,262 292,282' \
    -fill '#5a2a10' -draw 'rectangle 172,282 308,304' \
    -fill "$GOLDL" -stroke none -draw 'rectangle 206,288 274,298' \
    -fill '#d8262e' -draw "$(star 240 128 26 11 5 0)"

prize 奖品图片/2.jpg \
    -stroke none -fill '#c4161c' -draw 'polygon 170,20 222,20 262,180 226,196' \
    -fill '#1d4fa3' -draw 'polygon 310,20 258,20 218,180 254,196' \
    -fill '#f4d35e' -draw 'polygon 186,20 198,20 240,186 232,190' -draw 'polygon 294,20 282,20 240,186 248,190' \
    -fill "$GOLDD" -draw 'circle 240,238 240,152' -fill "$GOLD" -draw 'circle 240,238 240,160' \
    -fill "$GOLDD" -draw 'circle 240,238 240,174' -fill "$GOLDL" -draw 'circle 240,238 240,178' \
    -fill "$GOLD" -stroke "$GOLDD" -strokewidth 3 -draw "$(star 240 240 44 18 5 0)" \
    -stroke none -fill 'rgba(255,255,255,0.45)' -draw 'ellipse 214,196 26,10 -30,200'

prize 奖品图片/3.jpg \
    -stroke none -fill '#b3121d' -draw 'rectangle 150,176 330,310' \
    -fill '#d9232f' -draw 'rectangle 150,176 250,310' \
    -fill '#e8323c' -draw 'rectangle 138,144 342,180' -fill '#c01a25' -draw 'rectangle 250,144 342,180' \
    -fill "$GOLD" -draw 'rectangle 226,144 254,310' -fill "$GOLDD" -draw 'rectangle 246,144 254,310' \
    -fill "$GOLD" -stroke "$GOLDD" -strokewidth 3 \
    -draw "path 'M 240,142 C 190,70 130,110 170,140 C 190,152 220,148 240,142 Z'" \
    -draw "path 'M 240,142 C 290,70 350,110 310,140 C 290,152 260,148 240,142 Z'" \
    -draw "path 'M 236,146 C 220,170 206,186 196,200 L 214,204 C 224,186 232,170 240,150 Z'" \
    -draw "path 'M 244,146 C 260,170 274,186 284,200 L 266,204 C 256,186 248,170 240,150 Z'" \
    -fill "$GOLDL" -draw 'ellipse 240,143 16,12 0,360'

prize 奖品图片/4.jpg \
    -stroke '#7e0710' -strokewidth 3 -fill '#d4101c' -draw 'roundrectangle 160,48 320,318 14,14' \
    -stroke none -fill '#a80b15' \
    -draw "path 'M 162,62 Q 162,50 176,50 L 304,50 Q 318,50 318,62 L 318,128 Q 240,182 162,128 Z'" \
    -fill '#e0303a' -draw "path 'M 162,128 Q 240,182 318,128 L 318,134 Q 240,190 162,134 Z'" \
    -fill "$GOLDD" -draw 'circle 240,156 240,124' -fill "$GOLD" -draw 'circle 240,156 240,128' \
    -fill "$GOLDL" -draw "$(star 240 156 18 8 4 45)" \
    -stroke "$GOLD" -strokewidth 3 -fill none -draw 'roundrectangle 178,206 302,300 8,8' \
    -fill "$GOLD" -stroke none -draw 'circle 240,253 240,237' -fill '#d4101c' -draw 'rectangle 233,246 247,260'

prize 奖品图片/5.jpg \
    -stroke '#1f6e2a' -strokewidth 9 -fill none -draw "path 'M 240,180 C 246,230 262,270 300,312'" \
    -strokewidth 3 -fill '#3cb34a' \
    -draw "path 'M 240,178 C 180,178 150,120 186,96 C 210,80 236,104 240,178 Z'" \
    -draw "path 'M 240,178 C 240,118 298,88 322,124 C 338,148 314,174 240,178 Z'" \
    -draw "path 'M 240,178 C 300,178 330,236 294,260 C 270,276 244,252 240,178 Z'" \
    -draw "path 'M 240,178 C 240,238 182,268 158,232 C 142,208 166,182 240,178 Z'" \
    -stroke none -fill 'rgba(200,255,190,0.45)' -draw 'ellipse 198,120 14,24 0,360' -draw 'ellipse 290,124 20,12 0,360' \
    -fill "$GOLDL" -draw 'circle 240,178 240,170'

coins=(-stroke '#8a5a12' -strokewidth 2)
for i in 0 1 2 3 4 5; do
    y=$((286 - i * 20))
    coins+=(-fill "$GOLDD" -draw "ellipse 190,$((y + 6)) 62,18 0,360" -fill "$GOLD" -draw "ellipse 190,$y 62,18 0,360")
done
for i in 0 1 2 3; do
    y=$((294 - i * 20))
    coins+=(-fill "$GOLDD" -draw "ellipse 300,$((y + 6)) 58,17 0,360" -fill "$GOLD" -draw "ellipse 300,$y 58,17 0,360")
done
prize 奖品图片/6.jpg "${coins[@]}" \
    -fill "$GOLDL" -draw 'ellipse 190,186 46,12 0,360' -draw 'ellipse 300,234 42,11 0,360' \
    -fill "$GOLDD" -stroke '#8a5a12' -strokewidth 3 -draw 'circle 332,150 332,94' \
    -fill "$GOLD" -draw 'circle 332,150 332,102' \
    -fill '#7a1010' -stroke none -draw 'rectangle 318,136 346,164' \
    -stroke "$GOLDD" -strokewidth 3 -fill none -draw 'circle 332,150 332,116'

# --- music: a short looping arpeggio and a closing chord -----------------------
mkdir -p wav
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
notes=(C4 E4 G4 C5 A3 C4 E4 A4 F3 A3 C4 F4 G3 B3 D4 G4)
parts=()
for i in "${!notes[@]}"; do
    sox -n -r 44100 -c 2 "$tmp/n$i.wav" synth 0.2 pluck "${notes[$i]}" fade 0 0.2 0.05
    parts+=("$tmp/n$i.wav")
done
sox "${parts[@]}" -C 64 wav/bjyy.mp3 vol 0.6
sox -n -r 44100 -c 2 -C 64 wav/结束.mp3 synth 1.8 pluck C4 pluck E4 pluck G4 pluck C5 \
    fade 0 1.8 1.2 vol 0.7
ls -l 抽奖号码库.txt peizhi.a 底图.jpg 奖品图片 wav
