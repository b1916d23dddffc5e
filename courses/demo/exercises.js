// The practice tab: a listening exercise and a speaking exercise. Neither
// sends anything to the shell; their results are not part of the learner's
// records.
//
// Listening: listen.ogg says "こんにちは" (made with espeak-ng's Japanese
// voice and sox); the learner plays it, as often as wished, and picks the
// phrase heard.
//
// Speaking: the learner records up to 5 seconds from the microphone and
// plays the recording back.
'use strict';

const LISTEN_CHOICES = ['こんばんは', 'こんにちは', 'おはよう ございます'];
const LISTEN_ANSWER = 1;
const RECORD_LIMIT_S = 5;

const speaking = {
  stream: null,     // the microphone while recording
  recorder: null,
  timer: 0,         // counts the seconds while recording
  url: '',          // object URL of the last recording
};

// --- Listening ------------------------------------------------------------------

function playListening() {
  const audio = document.getElementById('listenAudio');
  audio.currentTime = 0;
  audio.play().then(() => {
    document.getElementById('listenAgain').disabled = false;
  }, (error) => {
    if (error.name === 'AbortError') return;   // a later click restarted it
    setStatus('音声を再生できません', 'The sound cannot be played', 'warn');
  });
}

function answerListening(choice) {
  const right = choice === LISTEN_ANSWER;
  for (const [index, button] of document.querySelectorAll('#listenChoices button').entries()) {
    button.classList.toggle('right', right && index === choice);
    button.classList.toggle('wrong', !right && index === choice);
  }
  if (right) setStatus('正解です！「こんにちは」でした', 'Right: konnichiwa', 'good');
  else setStatus('もう一度聞いてみましょう', 'Listen once more');
}

// --- Speaking -------------------------------------------------------------------

// What the learner is told when the microphone cannot be used.
function microphoneProblem(error) {
  switch (error && error.name) {
    case 'NotAllowedError':
    case 'SecurityError':
      return ['マイクの使用が許可されませんでした', 'The microphone was not allowed'];
    case 'NotFoundError':
    case 'OverconstrainedError':
      return ['マイクが見つかりません。つながっているか確かめてください', 'No microphone found'];
    case 'NotReadableError':
      return ['マイクを使えません。ほかのプログラムが使っていないか確かめてください', 'The microphone is busy'];
    default:
      return ['録音できませんでした', 'Recording failed'];
  }
}

function renderSpeaking(seconds) {
  if (closing) return;   // every control stays off
  const recording = speaking.recorder !== null;
  document.getElementById('recStart').disabled = recording;
  document.getElementById('recStop').disabled = !recording;
  document.getElementById('recPlay').disabled = recording || !speaking.url;
  document.getElementById('recTime').textContent = recording ? `録音中… ${seconds} / ${RECORD_LIMIT_S} 秒` : '';
}

function releaseMicrophone() {
  clearInterval(speaking.timer);
  speaking.timer = 0;
  if (speaking.stream) for (const track of speaking.stream.getTracks()) track.stop();
  speaking.stream = null;
  speaking.recorder = null;
}

async function startRecording() {
  if (speaking.recorder || closing) return;
  if (!navigator.mediaDevices || !navigator.mediaDevices.getUserMedia || typeof MediaRecorder !== 'function') {
    setStatus('この環境では録音できません', 'Recording is not available here', 'warn');
    return;
  }
  document.getElementById('recStart').disabled = true;
  let stream;
  try {
    stream = await navigator.mediaDevices.getUserMedia({ audio: true });
  } catch (error) {
    setStatus(...microphoneProblem(error), 'warn');
    renderSpeaking(0);
    return;
  }
  let recorder;
  try {
    recorder = new MediaRecorder(stream);
  } catch (error) {
    for (const track of stream.getTracks()) track.stop();
    setStatus(...microphoneProblem(error), 'warn');
    renderSpeaking(0);
    return;
  }
  const chunks = [];
  recorder.addEventListener('dataavailable', (event) => {
    if (event.data.size > 0) chunks.push(event.data);
  });
  recorder.addEventListener('stop', () => {
    releaseMicrophone();
    if (chunks.length === 0) {
      setStatus('録音できませんでした', 'Nothing was recorded', 'warn');
    } else {
      if (speaking.url) URL.revokeObjectURL(speaking.url);
      speaking.url = URL.createObjectURL(new Blob(chunks, { type: recorder.mimeType }));
      document.getElementById('recAudio').src = speaking.url;
      setStatus('録音しました。「再生」で聞いてみましょう', 'Recorded: press Play');
    }
    renderSpeaking(0);
  });
  recorder.addEventListener('error', () => {
    releaseMicrophone();
    setStatus('録音中にエラーが起きました', 'Recording failed', 'warn');
    renderSpeaking(0);
  });
  speaking.stream = stream;
  speaking.recorder = recorder;
  recorder.start();
  let seconds = 0;
  speaking.timer = setInterval(() => {
    seconds++;
    if (seconds >= RECORD_LIMIT_S) stopRecording();
    else renderSpeaking(seconds);
  }, 1000);
  setStatus(`録音しています（${RECORD_LIMIT_S} 秒まで）`, 'Recording');
  renderSpeaking(0);
}

function stopRecording() {
  clearInterval(speaking.timer);
  speaking.timer = 0;
  if (speaking.recorder && speaking.recorder.state !== 'inactive') speaking.recorder.stop();
}

function playRecording() {
  if (!speaking.url) return;
  const audio = document.getElementById('recAudio');
  audio.currentTime = 0;
  audio.play().catch(() => setStatus('録音を再生できません', 'The recording cannot be played', 'warn'));
}

// --- The tab ----------------------------------------------------------------------

function setupExercises() {
  document.getElementById('listenPlay').addEventListener('click', playListening);
  document.getElementById('listenAgain').addEventListener('click', playListening);
  document.getElementById('listenAudio').addEventListener('error', () => {
    setStatus('音声ファイルを読めません', 'The sound file cannot be read', 'warn');
  });
  const choices = LISTEN_CHOICES.map((text, index) => {
    const button = element('button', { type: 'button' }, text);
    button.addEventListener('click', () => answerListening(index));
    return button;
  });
  document.getElementById('listenChoices').replaceChildren(...choices);
  document.getElementById('recStart').addEventListener('click', startRecording);
  document.getElementById('recStop').addEventListener('click', stopRecording);
  document.getElementById('recPlay').addEventListener('click', playRecording);
  renderSpeaking(0);
}

window.addEventListener('DOMContentLoaded', setupExercises);
