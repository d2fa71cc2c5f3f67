// Served first in the page: keeps the console's lines and the page's errors for an
// engine whose driver hears no console, says what the page's policy blocked, keeps
// the game's WEBGL_lose_context (a lost context gives no extension) to take its
// context away and give it back, and plays scripted pads. Audio starts suspended,
// as a browser that waits for a gesture has it (headless engines do not).
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
addEventListener('securitypolicyviolation', e => console.error(`CSP violation: ${e.violatedDirective} ${e.blockedURI}`));
addEventListener('unhandledrejection', e => testMessages.push(['pageerror', String(e.reason)]));
// Scripted pads in place of the Gamepad API: plugPad(mapping) connects one and
// returns its index; padButton(index, button, down), padStick(index, x, y) and
// unplugPad(index) play it, as a browser's own pads would show it.
const pads = [];
Object.defineProperty(navigator, 'getGamepads', {value: () => pads.slice()});
const sendPad = (type, gamepad) => dispatchEvent(Object.assign(new Event(type), {gamepad}));
window.plugPad = (mapping = 'standard') => {
  const pad = {id: 'scripted pad', index: pads.length, mapping, connected: true, timestamp: 0, axes: [0, 0, 0, 0],
               buttons: Array.from({length: 17}, () => ({pressed: false, value: 0}))};
  pads.push(pad);
  sendPad('gamepadconnected', pad);
  return pad.index;
};
window.padButton = (index, button, down) => Object.assign(pads[index].buttons[button], {pressed: down, value: +down});
window.padStick = (index, x, y) => pads[index].axes.splice(0, 2, x, y);
window.unplugPad = index => {
  const pad = pads[index];
  pads[index] = null, pad.connected = false;
  sendPad('gamepaddisconnected', pad);
};
// Touch and wheel listeners that are not passive hold up the page's scrolling:
// each is kept with whether it cancelled its event whenever it ran.
window.blockingListeners = [];
const addListener = EventTarget.prototype.addEventListener;
EventTarget.prototype.addEventListener = function(type, listener, options) {
  const passive = typeof options === 'object' && options !== null && options.passive;
  if (!/^(touchstart|touchmove|wheel|mousewheel)$/.test(type) || passive || typeof listener !== 'function')
    return addListener.call(this, type, listener, options);
  const kept = {type, ran: 0, cancelled: 0};
  blockingListeners.push(kept);
  return addListener.call(this, type, function(event) {
    const result = listener.apply(this, arguments);
    kept.ran += 1, kept.cancelled += event.defaultPrevented ? 1 : 0;
    return result;
  }, options);
};
