// Served first in the page: keeps the console's lines and the page's errors for an
// engine whose driver hears no console, and the game's WEBGL_lose_context (a lost
// context gives no extension) to take its context away and give it back. Audio
// starts suspended, as a browser that waits for a gesture has it (headless
// engines do not).
'use strict';
window.gameContext = () => gameContext.kept || (gameContext.kept = document.getElementById('game')
    .getContext('webgl').getExtension('WEBGL_lose_context'));
window.testMessages = [];
for (const type of ['log', 'info', 'warn', 'error', 'debug']) {
  const print = console[type];
  console[type] = (...args) => (testMessages.push([type, args.join(' ')]), print.apply(console, args));
}
window.AudioContext = class extends AudioContext {
  constructor(...options) { super(...options); this.suspend(); }
};
addEventListener('error', e => testMessages.push(['pageerror', e.message]));
addEventListener('unhandledrejection', e => testMessages.push(['pageerror', String(e.reason)]));
