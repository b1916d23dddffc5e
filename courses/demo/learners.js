// Drives and learners.
//
// The learner chooses the drive that keeps the records; the shell then hands
// over that drive's PREF.PRF, in which the page keeps its list of learners:
//
//   DORV-DEMO-PREF 1
//   next=3
//   U001<tab>山田 太郎
//   U002<tab>Suzuki
//
// The page names the learner folders itself (U001, U002, ...), so that a
// display name may hold any character and renaming leaves the folder alone.
// Lines of other kinds are kept and written back unchanged.
'use strict';

const PREF_HEADER = 'DORV-DEMO-PREF 1';
const NAME_LIMIT = 20;
const ANSWER_WAIT_MS = 3000;

const learnerState = {
  drives: [],          // { letter, label } from UpdateDrives
  drive: '',           // the letter chosen
  driveReady: false,   // UpdateUsers has answered for the chosen drive
  learners: [],        // { folder, name } of the chosen drive
  nextNumber: 1,       // number of the next learner folder
  otherLines: [],      // lines of PREF.PRF that the page does not read
  selected: '',        // folder of the learner chosen
  loading: false,      // "User:" sent, the learner's position or scores not yet here
  posLoaded: false,
  scoresLoaded: false,
};

// Counts the answers from the shell so that a late answer check can tell
// whether the answer it waits for came.
let drivesAsked = 0;
let driveAsked = 0;
let learnerAsked = 0;

function learnerReady() {
  return learnerState.selected !== '' && !learnerState.loading;
}

function findLearner(folder) {
  return learnerState.learners.find((learner) => learner.folder === folder);
}

// --- Drives --------------------------------------------------------------------

function checkDrives() {
  queueCommand('CheckDrives:');
  const asked = ++drivesAsked;
  setStatus('ドライブを探しています…', 'Looking for drives');
  setTimeout(() => {
    if (asked === drivesAsked) setStatus('ドライブの一覧が届きません', 'No drive list from the shell', 'warn');
  }, ANSWER_WAIT_MS);
}

// The list arrives unquoted, so the shell has split it at every comma:
// the arguments joined with commas give it back. One entry per line,
// "X: (type name)".
function UpdateDrives(...parts) {
  drivesAsked++;
  const drives = [];
  for (const line of parts.join(',').split('\n')) {
    const label = line.trim();
    const match = /^([A-Za-z]):/.exec(label);
    if (!match) continue;
    const letter = match[1].toUpperCase();
    if (!drives.some((drive) => drive.letter === letter)) drives.push({ letter, label });
  }
  learnerState.drives = drives;
  trace(`← UpdateDrives: ${drives.map((drive) => drive.letter).join(' ') || 'none'}`);
  if (drives.length === 0) {
    setStatus('使えるドライブがありません', 'No drive to keep records on', 'warn');
  } else if (!learnerState.drive) {
    setStatus(`ドライブが ${drives.length} 台あります。選んでください`, 'Choose a drive');
  } else {
    setStatus(`ドライブが ${drives.length} 台あります`, `${drives.length} drive(s) found`);
  }
  renderLearners();
}

function chooseDrive(letter) {
  if (!letter || letter === learnerState.drive) return;
  leaveLearner();
  learnerState.drive = letter;
  learnerState.driveReady = false;
  learnerState.selected = '';
  learnerState.loading = false;
  queueCommand('Drive:', letter);
  const asked = ++driveAsked;
  setStatus(`ドライブ ${letter}: を開いています…`, 'Opening the drive');
  setTimeout(() => {
    if (asked === driveAsked && !learnerState.driveReady) {
      setStatus(`ドライブ ${letter}: には記録を保存できません。別のドライブを選んでください`,
                'Cannot keep records there', 'warn');
    }
  }, ANSWER_WAIT_MS);
  renderAll();
}

// --- The list of learners --------------------------------------------------------

// Called with the whole PREF.PRF of the chosen drive, or with nothing when
// the drive has none yet.
function UpdateUsers(text) {
  driveAsked++;
  readPreferences(text === undefined || text === null ? '' : String(text));
  learnerState.driveReady = true;
  learnerState.selected = '';
  learnerState.loading = false;
  const count = learnerState.learners.length;
  trace(`← UpdateUsers: ${count} learner(s)`);
  const drive = learnerState.drive ? `${learnerState.drive}: ` : '';
  if (count === 0) {
    setStatus(`${drive}にはまだ学習者がいません。名前を入れて「作成」を押してください`, 'Create a learner');
  } else {
    setStatus(`${drive}の学習者: ${count} 人。選んでください`, 'Choose a learner');
  }
  document.getElementById('learnerName').value = '';
  renderAll();
}

function readPreferences(text) {
  const learners = [];
  const otherLines = [];
  let next = 1;
  for (const line of text.split(/\r?\n/)) {
    if (line === '' || line === PREF_HEADER) continue;
    const counter = /^next=(\d+)$/.exec(line);
    if (counter) {
      next = Math.max(next, Number(counter[1]));
      continue;
    }
    const tab = line.indexOf('\t');
    const folder = tab > 0 ? line.slice(0, tab) : '';
    if (usableFolder(folder) && !learners.some((learner) => learner.folder === folder)) {
      learners.push({ folder, name: line.slice(tab + 1).trim() || folder });
      const number = /^U(\d+)$/.exec(folder);
      if (number) next = Math.max(next, Number(number[1]) + 1);
      continue;
    }
    otherLines.push(line);
  }
  learnerState.learners = learners;
  learnerState.otherLines = otherLines;
  learnerState.nextNumber = next;
}

// A folder name that can travel as a command argument and name a folder.
function usableFolder(folder) {
  return /^[^\\/:*?"<>|\t\r\n]+$/.test(folder) && folder.trim() === folder && folder !== '.' && folder !== '..';
}

function preferencesText() {
  const lines = [PREF_HEADER, `next=${learnerState.nextNumber}`];
  for (const learner of learnerState.learners) lines.push(`${learner.folder}\t${learner.name}`);
  return lines.concat(learnerState.otherLines).join('\n') + '\n';
}

// The shell asks for the size first and takes it as the room to reserve;
// a character needs at most two bytes on disk.
function GetPrefSize() {
  return String(preferencesText().length * 2);
}

function GetPrefData() {
  trace('← GetPrefData');
  return preferencesText();
}

// --- Names -------------------------------------------------------------------------

// The shell stores the text in code page 932 (Shift-JIS); a character outside
// it would come back as "?". The characters it holds are found once by
// decoding every code of the page. Null when the engine cannot tell.
let storableCharacters;
function storableSet() {
  if (storableCharacters !== undefined) return storableCharacters;
  storableCharacters = null;
  let decoder;
  try {
    decoder = new TextDecoder('shift_jis');
  } catch (error) {
    return null;
  }
  const bytes = [];
  for (let b = 0x20; b < 0x7f; b++) bytes.push(b);
  for (let b = 0xa1; b <= 0xdf; b++) bytes.push(b);
  for (let lead = 0x81; lead <= 0xfc; lead++) {
    if (lead > 0x9f && lead < 0xe0) continue;
    for (let trail = 0x40; trail <= 0xfc; trail++) {
      if (trail !== 0x7f) bytes.push(lead, trail);
    }
  }
  storableCharacters = new Set(decoder.decode(new Uint8Array(bytes)));
  storableCharacters.delete('\ufffd');
  return storableCharacters;
}

// The name from the text field, or null with the reason in the status line.
function checkedName(exceptFolder) {
  const name = document.getElementById('learnerName').value.replace(/\s+/g, ' ').trim();
  if (name === '') {
    setStatus('名前を入れてください', 'Enter a name', 'warn');
    return null;
  }
  if ([...name].length > NAME_LIMIT) {
    setStatus(`名前は ${NAME_LIMIT} 文字までです`, `At most ${NAME_LIMIT} characters`, 'warn');
    return null;
  }
  const storable = storableSet();
  const bad = storable ? [...name].find((ch) => !storable.has(ch)) : undefined;
  if (bad !== undefined) {
    setStatus(`「${bad}」は保存できない文字です`, 'This character cannot be stored', 'warn');
    return null;
  }
  const same = learnerState.learners.find(
    (learner) => learner.folder !== exceptFolder && learner.name.toLowerCase() === name.toLowerCase());
  if (same) {
    setStatus(`「${name}」はもういます`, 'That name is taken', 'warn');
    return null;
  }
  return name;
}

// --- Learner commands ------------------------------------------------------------------

// Before another learner or drive is chosen, the lesson under way is recorded
// and the position stored for the learner who leaves.
function leaveLearner() {
  if (learnerReady()) lessonLeave();
}

function selectLearner(folder) {
  if (!learnerState.driveReady || !findLearner(folder) || folder === learnerState.selected) return;
  leaveLearner();
  learnerState.selected = folder;
  learnerState.loading = true;
  learnerState.posLoaded = false;
  learnerState.scoresLoaded = false;
  queueCommand('User:', folder);
  const name = findLearner(folder).name;
  setStatus(`「${name}」の記録を読んでいます…`, 'Loading');
  const asked = ++learnerAsked;
  setTimeout(() => {
    if (asked === learnerAsked && learnerState.loading) {
      setStatus(`「${name}」の記録を読めませんでした`, 'Could not load the records', 'warn');
    }
  }, ANSWER_WAIT_MS);
  renderAll();
}

// The shell has handed over the chosen learner's position or scores.
function learnerDataArrived(kind) {
  if (kind === 'pos') learnerState.posLoaded = true;
  if (kind === 'scores') learnerState.scoresLoaded = true;
  if (!learnerState.loading || !learnerState.posLoaded || !learnerState.scoresLoaded) return;
  learnerState.loading = false;
  learnerAsked++;
  const learner = findLearner(learnerState.selected);
  if (learner) setStatus(`「${learner.name}」さん、こんにちは`, 'Learner ready');
  renderAll();
}

function createLearner() {
  if (!learnerState.driveReady) return;
  const name = checkedName(null);
  if (name === null) return;
  const folder = 'U' + String(learnerState.nextNumber).padStart(3, '0');
  learnerState.nextNumber++;
  learnerState.learners.push({ folder, name });
  // The shell makes the folder and then asks GetPrefData for the new list.
  queueCommand('Create:', folder);
  document.getElementById('learnerName').value = '';
  selectLearner(folder);
  setStatus(`「${name}」を作りました`, 'Learner created');
}

function renameLearner() {
  const learner = findLearner(learnerState.selected);
  if (!learner) return;
  const name = checkedName(learner.folder);
  if (name === null || name === learner.name) return;
  const old = learner.name;
  learner.name = name;
  queueCommand('Rename:', learner.folder);
  document.getElementById('learnerName').value = '';
  setStatus(`「${old}」を「${name}」に変えました`, 'Learner renamed');
  renderLearners();
}

// The shell deletes the files and folder of the learner chosen last, so only
// the chosen learner can be deleted.
function deleteLearner() {
  const learner = findLearner(learnerState.selected);
  if (!learner) return;
  const sure = confirm(`「${learner.name}」を削除しますか？\n学習の記録・位置・成績もすべて消えます。\n\n` +
                       'Delete this learner and all of their records?');
  if (!sure || learnerState.selected !== learner.folder) return;
  lessonForget();
  quizForget();
  learnerState.learners = learnerState.learners.filter((other) => other !== learner);
  learnerState.selected = '';
  learnerState.loading = false;
  queueCommand('Delete:', learner.folder);
  document.getElementById('learnerName').value = '';
  setStatus(`「${learner.name}」を削除しました`, 'Learner deleted');
  renderAll();
}

// --- The panel ------------------------------------------------------------------------

function renderLearners() {
  const state = learnerState;

  const driveList = document.getElementById('drive');
  const options = [element('option', { value: '' },
                           state.drives.length ? 'ドライブを選択 / drive' : 'ドライブなし / no drive')];
  for (const drive of state.drives) options.push(element('option', { value: drive.letter }, drive.label));
  if (state.drive && !state.drives.some((drive) => drive.letter === state.drive)) {
    options.push(element('option', { value: state.drive }, `${state.drive}: (見つかりません / missing)`));
  }
  driveList.replaceChildren(...options);
  driveList.value = state.drive;
  driveList.disabled = options.length === 1;

  const list = document.getElementById('learnerList');
  const entries = state.learners.map(
    (learner) => element('option', { value: learner.folder, title: learner.folder }, learner.name));
  if (entries.length === 0) {
    const note = !state.drive ? '（ドライブを選んでください）'
      : state.driveReady ? '（まだいません / none yet）' : '（読み込み中… / loading）';
    const placeholder = element('option', { value: '', class: 'note' }, note);
    placeholder.disabled = true;
    entries.push(placeholder);
  }
  list.replaceChildren(...entries);
  list.value = state.selected;
  if (!findLearner(state.selected)) list.selectedIndex = -1;
  list.disabled = !state.driveReady;

  const field = document.getElementById('learnerName');
  field.disabled = !state.driveReady;
  const typed = field.value.trim() !== '';
  const chosen = findLearner(state.selected);
  document.getElementById('create').disabled = !state.driveReady || !typed;
  document.getElementById('rename').disabled = !chosen || !typed || field.value.trim() === chosen.name;
  document.getElementById('delete').disabled = !chosen;
}

function setupLearners() {
  document.getElementById('checkDrives').addEventListener('click', checkDrives);
  document.getElementById('drive').addEventListener('change', (event) => chooseDrive(event.target.value));
  document.getElementById('learnerList').addEventListener('change', (event) => selectLearner(event.target.value));
  const field = document.getElementById('learnerName');
  field.addEventListener('input', renderLearners);
  // Enter creates a learner; renaming is done with its button only.
  field.addEventListener('keydown', (event) => {
    if (event.key !== 'Enter' || event.isComposing) return;
    event.preventDefault();
    if (!document.getElementById('create').disabled) createLearner();
  });
  document.getElementById('create').addEventListener('click', createLearner);
  document.getElementById('rename').addEventListener('click', renameLearner);
  document.getElementById('delete').addEventListener('click', deleteLearner);
  const asked = ++drivesAsked;
  setTimeout(() => {
    if (asked === drivesAsked) setStatus('ドライブの一覧が届きません', 'No drive list from the shell', 'warn');
  }, ANSWER_WAIT_MS);
}
