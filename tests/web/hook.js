// Served first in the page for an engine whose driver hears no console: keeps
// the console's lines and the page's errors for the test to collect.
'use strict';
window.testMessages = [];
for (const type of ['log', 'info', 'warn', 'error', 'debug']) {
  const print = console[type];
  console[type] = (...args) => (testMessages.push([type, args.join(' ')]), print.apply(console, args));
}
addEventListener('error', e => testMessages.push(['pageerror', e.message]));
addEventListener('unhandledrejection', e => testMessages.push(['pageerror', String(e.reason)]));
