#!/bin/sh
# Makes the media samples beside this script: a 440 Hz tone of 0.8 s in
# each audio format that a course may ship, and a 1 s clip (a moving ball
# at 64 x 48 with the tone) in each video format. The files are kept in the
# repository; run this only to make them anew.
#
# Needs GStreamer's command-line tools and encoders (Debian 12):
#   apt-get install gstreamer1.0-tools gstreamer1.0-plugins-base-apps gstreamer1.0-plugins-base gstreamer1.0-plugins-good \
#                   gstreamer1.0-plugins-ugly gstreamer1.0-libav
set -eu

cd "$(dirname "$0")"

for tool in gst-launch-1.0 gst-discoverer-1.0; do
  command -v "$tool" >/dev/null || { echo "make.sh: $tool is missing (packages gstreamer1.0-tools and gstreamer1.0-plugins-base-apps)" >&2; exit 1; }
done
for element in audiotestsrc videotestsrc wavenc lamemp3enc xingmux vorbisenc opusenc oggmux avenc_aac \
               aacparse mp4mux x264enc h264parse vp8enc vp9enc webmmux; do
  gst-inspect-1.0 "$element" >/dev/null 2>&1 || { echo "make.sh: GStreamer element $element is missing" >&2; exit 1; }
done

# The tone: $1 samples per second, 0.8 s in buffers of 10 ms.
tone() {
  echo "audiotestsrc wave=sine freq=440 volume=0.4 samplesperbuffer=$(($1 / 100)) num-buffers=80 !" \
       "audio/x-raw,rate=$1,channels=1 ! audioconvert"
}

# The clip's picture: 15 frames a second, 1 s.
picture() {
  echo "videotestsrc pattern=ball num-buffers=15 ! video/x-raw,width=64,height=48,framerate=15/1,format=I420"
}

# The clip's sound: the tone for 1 s, as 48 kHz mono.
clip_sound() {
  echo "audiotestsrc wave=sine freq=440 volume=0.4 samplesperbuffer=480 num-buffers=100 !" \
       "audio/x-raw,rate=48000,channels=1 ! audioconvert"
}

# Each file is written under a temporary name and put in place when the
# pipeline has finished, so a failed run leaves the old files as they were.
make() {
  out=$1
  shift
  gst-launch-1.0 -q "$@" filesink location="$out.part"
  mv "$out.part" "$out"
}

trap 'rm -f ./*.part' EXIT

make tone.wav $(tone 16000) ! audio/x-raw,format=S16LE ! wavenc !
make tone.mp3 $(tone 44100) ! lamemp3enc target=bitrate bitrate=32 cbr=true ! xingmux !
make tone.ogg $(tone 44100) ! vorbisenc quality=0.1 ! oggmux !
make tone.opus $(tone 48000) ! opusenc bitrate=24000 ! oggmux !
make tone.m4a $(tone 44100) ! avenc_aac bitrate=32000 ! aacparse ! mp4mux faststart=true !
make clip.mp4 \
  $(picture) ! x264enc bitrate=64 speed-preset=medium ! video/x-h264,profile=baseline ! h264parse ! mux. \
  $(clip_sound) ! avenc_aac bitrate=32000 ! aacparse ! mux. \
  mp4mux name=mux faststart=true !
make clip.webm \
  $(picture) ! vp8enc target-bitrate=64000 deadline=0 ! mux. \
  $(clip_sound) ! vorbisenc quality=0.1 ! mux. \
  webmmux name=mux !
make clip-vp9.webm \
  $(picture) ! vp9enc target-bitrate=64000 deadline=0 cpu-used=4 ! mux. \
  $(clip_sound) ! opusenc bitrate=24000 ! mux. \
  webmmux name=mux !

# Each file must hold the codecs meant, have a duration, and decode to the
# end without an error.
check() {
  file=$1
  shift
  report=$(gst-discoverer-1.0 "$file")
  for codec in "$@"; do
    echo "$report" | grep -q -i -e "$codec" || { echo "make.sh: $file: no $codec stream" >&2; exit 1; }
  done
  echo "$report" | grep -q 'Duration: 0:00:0[01]\.[0-9]' || { echo "make.sh: $file: no duration" >&2; exit 1; }
  gst-launch-1.0 -q playbin uri="file://$PWD/$file" audio-sink=fakesink video-sink=fakesink >/dev/null ||
    { echo "make.sh: $file does not decode" >&2; exit 1; }
  printf '%-14s %6s bytes  %s\n' "$file" "$(wc -c <"$file")" "$*"
}

check tone.wav 'audio #0: WAV'
check tone.mp3 'MPEG-1 Layer 3'
check tone.ogg 'Vorbis'
check tone.opus 'Opus'
check tone.m4a 'MPEG-4 AAC'
check clip.mp4 'H.264' 'MPEG-4 AAC'
check clip.webm 'VP8' 'Vorbis'
check clip-vp9.webm 'VP9' 'Opus'
