// The lesson: four steps in two units. The learner's position is stored as
// "step=N", with ",done=1" once the lesson was finished.
//
// History records (one CSV line each, in the columns of the learner's
// HISTORY.DAT: CD, lecture, unit, step, part, section, start date, start time,
// end date, end time, total seconds):
// - starting the lesson sends "StartRegist:" with a record of the start, and
//   the shell stores the position;
// - entering the other unit sends "StartMain:" with a record of the unit left;
// - finishing sends "Log:" with a record from the start to the end;
// - choosing another learner or drive in the middle sends "StartRegist:"
//   with the stretch so far, so the position is kept; so does closing the shell.
'use strict';

const COURSE_CODE = 'DEMO';
const LECTURE = 1;

const LESSON_UNITS = { 1: '朝と昼 / Morning and day', 2: '夜とお礼 / Evening and thanks' };

const LESSON_STEPS = [
  { unit: 1, ja: 'おはよう ございます', romaji: 'ohayō gozaimasu', en: 'Good morning',
    note: '朝、最初に会ったときに言います。 Said in the morning.' },
  { unit: 1, ja: 'こんにちは', romaji: 'konnichiwa', en: 'Hello / Good afternoon',
    note: '昼間のあいさつです。 The greeting for the daytime.' },
  { unit: 2, ja: 'こんばんは', romaji: 'konbanwa', en: 'Good evening',
    note: '日が暮れてから使います。 Used after dark.' },
  { unit: 2, ja: 'ありがとう ございます', romaji: 'arigatō gozaimasu', en: 'Thank you',
    note: 'ていねいなお礼のことばです。 A polite thank-you.' },
];

const lesson = {
  step: 1,
  done: false,
  running: false,
  sessionStart: null,   // when the lesson was started or resumed
  unitStart: null,      // when the current unit was entered
  positionChanged: false, // since the shell last stored it
};

function unitOf(step) {
  return LESSON_STEPS[step - 1].unit;
}

function pad(number) {
  return String(number).padStart(2, '0');
}

function recordDate(time) {
  return `${time.getFullYear()}/${pad(time.getMonth() + 1)}/${pad(time.getDate())}`;
}

function recordTime(time) {
  return `${pad(time.getHours())}:${pad(time.getMinutes())}:${pad(time.getSeconds())}`;
}

function historyRecord(start, end, step) {
  const seconds = Math.max(0, Math.round((end - start) / 1000));
  return [COURSE_CODE, LECTURE, unitOf(step), step, 1, 1,
          recordDate(start), recordTime(start), recordDate(end), recordTime(end), seconds].join(',') + '\n';
}

// --- Position --------------------------------------------------------------------

function GetPosData() {
  lesson.positionChanged = false;
  const text = `step=${lesson.step}` + (lesson.done ? ',done=1' : '');
  trace('← GetPosData: ' + text);
  return text;
}

// Called with the chosen learner's TASK.DAT, or with nothing for a learner
// who has none yet: then the lesson begins at step 1.
function SetPosData(text) {
  const fields = {};
  for (const pair of String(text ?? '').split(/[,;\n]/)) {
    const [key, value] = pair.split('=');
    if (value !== undefined) fields[key.trim()] = value.trim();
  }
  const step = Number.parseInt(fields.step, 10);
  lesson.step = step >= 1 && step <= LESSON_STEPS.length ? step : 1;
  lesson.done = fields.done === '1';
  lesson.running = false;
  lesson.positionChanged = false;
  trace('← SetPosData: ' + (text === undefined ? '(none)' : text));
  learnerDataArrived('pos');
  renderLesson();
}

// --- Moving through the lesson -------------------------------------------------------

function startLesson(fromTheStart) {
  if (!learnerReady() || lesson.running) return;
  if (fromTheStart || lesson.done) {
    lesson.step = 1;
    lesson.done = false;
  }
  const now = new Date();
  lesson.running = true;
  lesson.sessionStart = now;
  lesson.unitStart = now;
  lesson.positionChanged = true;
  queueRecordCommand('StartRegist:', historyRecord(now, now, lesson.step));
  setStatus(`ステップ ${lesson.step} から始めます`, 'Lesson started');
  renderLesson();
}

function moveStep(delta) {
  if (!lesson.running) return;
  const step = lesson.step + delta;
  if (step < 1 || step > LESSON_STEPS.length) return;
  const left = lesson.step;
  lesson.step = step;
  lesson.positionChanged = true;
  if (unitOf(step) !== unitOf(left)) {
    const now = new Date();
    queueRecordCommand('StartMain:', historyRecord(lesson.unitStart, now, left));
    lesson.unitStart = now;
    setStatus(`ユニット ${unitOf(step)} に入りました`, `Unit ${unitOf(step)}`);
  }
  renderLesson();
}

function finishLesson() {
  if (!lesson.running || lesson.step !== LESSON_STEPS.length) return;
  const now = new Date();
  queueRecordCommand('Log:', historyRecord(lesson.sessionStart, now, lesson.step));
  lesson.running = false;
  lesson.done = true;
  lesson.positionChanged = true;
  const seconds = Math.round((now - lesson.sessionStart) / 1000);
  setStatus(`レッスン完了！ ${seconds} 秒でした。記録しました`, 'Finished and recorded', 'good');
  renderLesson();
}

// The learner leaves for another learner or drive: the stretch under way is
// recorded and the position stored, both for the learner who leaves.
function lessonLeave() {
  if (!lesson.running && !lesson.positionChanged) return;
  const record = lesson.running ? historyRecord(lesson.sessionStart, new Date(), lesson.step) : '';
  lesson.running = false;
  queueRecordCommand('StartRegist:', record);
}

// The learner was deleted: nothing of theirs is recorded any more.
function lessonForget() {
  lesson.running = false;
  lesson.positionChanged = false;
  lesson.step = 1;
  lesson.done = false;
}

// The shell is closing and asks for a last record: the stretch learnt so far.
function lessonRecordOnClose() {
  if (!lesson.running) return '';
  const now = new Date();
  const record = historyRecord(lesson.sessionStart, now, lesson.step);
  lesson.sessionStart = now;
  lesson.unitStart = now;
  return record;
}

// --- The panel ---------------------------------------------------------------------------

function renderLesson() {
  const ready = learnerReady();
  const progress = document.getElementById('lessonProgress');
  const body = document.getElementById('lessonBody');
  const show = (id, visible, enabled = true) => {
    const button = document.getElementById(id);
    button.hidden = !visible;
    button.disabled = !enabled;
  };
  const steps = LESSON_STEPS.length;
  const resume = lesson.step > 1 && !lesson.done;
  const [ja, en] = ready && resume ? ['続きから', 'Resume'] : ready && lesson.done ? ['もう一度', 'Again'] : ['開始', 'Start'];
  document.getElementById('lessonStart').replaceChildren(ja + ' ', element('span', { class: 'en' }, en));

  if (!ready) {
    progress.textContent = `${steps} ステップ · 2 ユニット / ${steps} steps in 2 units`;
    body.replaceChildren(element('p', { class: 'message' },
      learnerState.loading ? '読み込み中… ' : '学習者を選ぶと始められます。 ',
      element('span', { class: 'en' }, learnerState.loading ? 'Loading' : 'Choose a learner to begin.')));
    show('lessonStart', true, false);
    show('lessonRestart', false);
    show('lessonBack', false);
    show('lessonNext', false);
    show('lessonFinish', false);
    return;
  }

  if (!lesson.running) {
    progress.textContent = `${steps} ステップ · 2 ユニット / ${steps} steps in 2 units`;
    const lines = [element('p', { class: 'message' }, '朝・昼・夜のあいさつと、お礼のことばを覚えましょう。 ',
                           element('span', { class: 'en' }, 'Four everyday phrases.'))];
    if (lesson.done) {
      lines.push(element('p', { class: 'message good' }, '✓ このレッスンは完了しています。 ',
                         element('span', { class: 'en' }, 'Finished.')));
    } else if (lesson.step > 1) {
      lines.push(element('p', { class: 'message' }, `前回はステップ ${lesson.step} まで進みました。 `,
                         element('span', { class: 'en' }, `Last time: step ${lesson.step}.`)));
    }
    body.replaceChildren(...lines);
    show('lessonStart', true);
    show('lessonRestart', resume);
    show('lessonBack', false);
    show('lessonNext', false);
    show('lessonFinish', false);
    return;
  }

  const item = LESSON_STEPS[lesson.step - 1];
  const dots = LESSON_STEPS.map((_, index) => (index < lesson.step ? '●' : '○')).join('');
  progress.textContent = `${dots} ステップ ${lesson.step} / ${steps} · ユニット ${item.unit}: ${LESSON_UNITS[item.unit]}`;
  body.replaceChildren(
    element('p', { class: 'phrase', lang: 'ja' }, item.ja),
    element('p', { class: 'romaji', lang: 'en' }, item.romaji),
    element('p', { class: 'meaning', lang: 'en' }, item.en),
    element('p', { class: 'note' }, item.note));
  show('lessonStart', false);
  show('lessonRestart', false);
  show('lessonBack', true, lesson.step > 1);
  show('lessonNext', lesson.step < steps);
  show('lessonFinish', lesson.step === steps);
}

function setupLesson() {
  document.getElementById('lessonStart').addEventListener('click', () => startLesson(false));
  document.getElementById('lessonRestart').addEventListener('click', () => startLesson(true));
  document.getElementById('lessonBack').addEventListener('click', () => moveStep(-1));
  document.getElementById('lessonNext').addEventListener('click', () => moveStep(1));
  document.getElementById('lessonFinish').addEventListener('click', finishLesson);
  // The arrow keys move through the steps, also in full-screen mode, where a
  // click only leaves it. Form controls keep their own use of the keys.
  document.addEventListener('keydown', (event) => {
    if (!lesson.running || event.altKey || event.ctrlKey || event.metaKey) return;
    const focus = document.activeElement;
    if (focus && ['INPUT', 'SELECT', 'TEXTAREA'].includes(focus.tagName)) return;
    if (document.getElementById('lesson').hidden) return;
    if (event.key === 'ArrowRight') moveStep(1);
    else if (event.key === 'ArrowLeft') moveStep(-1);
    else return;
    event.preventDefault();
  });
}
