// The quiz: three questions on the lesson's phrases. Each answer is stored
// at once ("Test:"); the scores are kept as "q1=1,q2=0", 1 for a right
// answer, for the questions answered so far.
'use strict';

const QUIZ = [
  { question: '「Good morning」は日本語で？', choices: ['こんばんは', 'おはよう ございます', 'ありがとう'], answer: 1 },
  { question: '「こんばんは」の意味は？', choices: ['Good evening', 'Thank you', 'Hello'], answer: 0 },
  { question: '「Thank you」は日本語で？', choices: ['こんにちは', 'おはよう', 'ありがとう ございます'], answer: 2 },
];

const quiz = {
  scores: {},   // question number (from 1) -> 0 or 1
  picked: {},   // question number -> the choice picked in this sitting
};

function GetScoreData() {
  const text = QUIZ.map((_, index) => index + 1)
    .filter((number) => number in quiz.scores)
    .map((number) => `q${number}=${quiz.scores[number]}`)
    .join(',');
  trace('← GetScoreData: ' + (text || '(empty)'));
  return text;
}

// Called with the chosen learner's SCORE.DAT, or with nothing for a learner
// who has none yet.
function SetScoreData(text) {
  quiz.scores = {};
  quiz.picked = {};
  for (const pair of String(text ?? '').split(/[,;\n]/)) {
    const match = /^\s*q(\d+)\s*=\s*([01])\s*$/.exec(pair);
    if (match && Number(match[1]) >= 1 && Number(match[1]) <= QUIZ.length) {
      quiz.scores[Number(match[1])] = Number(match[2]);
    }
  }
  trace('← SetScoreData: ' + (text === undefined ? '(none)' : text));
  learnerDataArrived('scores');
  renderQuiz();
}

function answerQuestion(number, choice) {
  if (!learnerReady() || number in quiz.scores) return;
  const right = QUIZ[number - 1].answer === choice;
  quiz.scores[number] = right ? 1 : 0;
  quiz.picked[number] = choice;
  queueCommand('Test:');
  if (right) setStatus(`Q${number} 正解です！ 成績を保存しました`, 'Right, score saved', 'good');
  else setStatus(`Q${number} 残念… 成績を保存しました`, 'Not quite, score saved');
  renderQuiz();
}

function retryQuiz() {
  if (!learnerReady() || Object.keys(quiz.scores).length === 0) return;
  quiz.scores = {};
  quiz.picked = {};
  queueCommand('Test:');
  setStatus('クイズをやり直します', 'Quiz cleared');
  renderQuiz();
}

function quizForget() {
  quiz.scores = {};
  quiz.picked = {};
}

function renderQuiz() {
  const ready = learnerReady();
  document.getElementById('quizNote').replaceChildren(ready
    ? '答えを選ぶと成績が保存されます。 '
    : '学習者を選ぶと答えられます。 ',
    element('span', { class: 'en' }, ready ? 'Each answer is saved.' : 'Choose a learner to answer.'));

  const items = QUIZ.map((item, index) => {
    const number = index + 1;
    const answered = ready && number in quiz.scores;
    const mark = !answered ? '' : quiz.scores[number] ? '○' : '×';
    const choices = item.choices.map((text, choice) => {
      const button = element('button', { type: 'button' }, text);
      button.disabled = !ready || answered;
      if (answered && choice === item.answer) button.classList.add('right');
      if (answered && quiz.picked[number] === choice && choice !== item.answer) button.classList.add('wrong');
      button.addEventListener('click', () => answerQuestion(number, choice));
      return button;
    });
    const markClass = !answered ? 'mark' : quiz.scores[number] ? 'mark good' : 'mark bad';
    return element('li', {},
      element('p', { class: 'question' }, item.question, element('span', { class: markClass }, mark)),
      element('div', { class: 'row choices' }, ...choices));
  });
  document.getElementById('quizList').replaceChildren(...items);

  const answered = ready ? Object.keys(quiz.scores).length : 0;
  const right = ready ? Object.values(quiz.scores).filter((score) => score === 1).length : 0;
  document.getElementById('quizTotal').replaceChildren(
    `得点 ${right} / ${QUIZ.length}`, ' ',
    element('span', { class: 'en' }, answered < QUIZ.length ? `Score (${answered} answered)` : 'Score'));
  document.getElementById('quizRetry').disabled = !ready || answered === 0;
}

function setupQuiz() {
  document.getElementById('quizRetry').addEventListener('click', retryQuiz);
}
