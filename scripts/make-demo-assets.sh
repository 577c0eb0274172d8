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

FONT=$(fc-match -f '%{file}' 'WenQuanYi Micro Hei:lang=zh' 2>/dev/null || true)
[ -f "$FONT" ] || FONT=$(fc-list :lang=zh file | head -n1 | cut -d: -f1)

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
    printf 'zbt=星河科技年会抽奖\r\n'
    printf 'fbt=—— 2025 年度员工大会 ——\r\n'
    for i in "${!levels[@]}"; do printf '%s=%s\r\n' "${levels[$i]}" "${names[$i]}"; done
    for i in "${!levels[@]}"; do printf '%s人数=%s\r\n' "${levels[$i]}" "${quotas[$i]}"; done
    for i in "${!levels[@]}"; do printf '%s一次抽取人数=%s\r\n' "${levels[$i]}" "${perdraw[$i]}"; done
    for i in "${!levels[@]}"; do printf '列%d=%s\r\n' $((i + 1)) "${columns[$i]}"; done
    printf '滚动速度=30\r\n是否允许重复=假\r\n奖品图片宽=270\r\n奖品图片高=220\r\n'
    printf '自动停止=0\r\n烟花时间=3\r\n禁用特效=假\r\n不显示按钮=假\r\n'
    printf '屏蔽启用=假\r\n屏蔽左=4\r\n屏蔽右=7\r\n屏蔽字符=****\r\n'
    # The prize picture to the right of the winners (scaled to other screens).
    printf '[weizhi]\r\n屏幕宽度=1280\r\n屏幕高度=720\r\n'
    printf '[zweizhi]\r\n动画框_奖品图片左边=975\r\n动画框_奖品图片顶边=330\r\n'
} | iconv -f UTF-8 -t GBK >peizhi.a

# --- pictures ----------------------------------------------------------------
convert -size 1280x720 radial-gradient:'#b01818-#3a0000' \
    \( -size 1280x720 xc:none -fill 'rgba(255,215,0,0.18)' \
       -draw 'circle 160,120 160,210' -draw 'circle 1120,140 1120,250' \
       -draw 'circle 1040,600 1040,660' -draw 'circle 230,590 230,640' \) -composite \
    -fill none -stroke '#f0c040' -strokewidth 6 -draw 'rectangle 24,24 1255,695' \
    -quality 82 底图.jpg

mkdir -p 奖品图片
colours=('#d4af37' '#c0c0c0' '#cd7f32' '#4a90d9' '#5cb85c' '#e67e22')
for i in 0 1 2 3 4 5; do
    convert -size 270x220 gradient:"${colours[$i]}"-'#202020' \
        -fill white -stroke '#00000080' -strokewidth 1 -font "$FONT" -pointsize 44 \
        -gravity center -annotate +0-10 "${names[$i]}" \
        -pointsize 18 -annotate +0+55 "Luckdial" -quality 85 "奖品图片/$((i + 1)).jpg"
done

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
