#include "TimelinePageScript.h"

const char kTimelineStyle[] = R"CSS(
body { font: 13px sans-serif; margin: 0; background: #1b1d22; color: #ddd; }
header { padding: 8px 12px; background: #262931; position: sticky; left: 0; }
header h1 { font-size: 17px; margin: 0 0 4px 0; }
header .facts { color: #aab; }
header select { margin-left: 12px; }
#scroll { overflow-x: auto; }
.row { display: flex; border-bottom: 1px solid #333; }
.row .name { width: 260px; min-width: 260px; padding: 2px 6px; box-sizing: border-box;
  position: sticky; left: 0; background: #22252c; z-index: 2; white-space: nowrap;
  overflow: hidden; text-overflow: ellipsis; font-size: 12px; line-height: 26px; }
.row svg { display: block; }
.wave .name, .thumbs .name, .ruler .name, .findings .name { color: #aab; }
.waveform { fill: #5a8fd0; }
.beat { stroke: #2e323b; stroke-width: 1; }
.bar { stroke: #475064; stroke-width: 1; }
.tick { stroke: #666; } .ticktext { fill: #999; font-size: 10px; }
.bartext { fill: #7f8fb0; font-size: 9px; }
.on { fill: #2f5d3a; }
.value { fill: none; stroke: #e3c15a; stroke-width: 1.5; }
.mark line { stroke: #9cf; stroke-width: 1.5; }
.mark .moving { fill: rgba(227, 193, 90, 0.25); stroke: none; }
.mark text { fill: #cde; font-size: 9px; }
.mark:hover line { stroke: #fff; stroke-width: 3; }
.finding path { fill: #e5484d; }
.finding:hover path { fill: #ff9; }
.thumb { position: absolute; top: 2px; height: 86px; border: 1px solid #555; }
.thumbtime { position: absolute; top: 88px; font-size: 10px; color: #aaa; }
.note { color: #e5a34d; padding: 4px 12px; }
#detail { position: fixed; bottom: 0; left: 0; right: 0; background: #262931; padding: 6px 12px;
  min-height: 18px; border-top: 1px solid #444; font-family: monospace; }
#list { padding: 8px 12px 60px 12px; font-family: monospace; white-space: pre-wrap; }
#list .untimed { color: #e5a34d; }
)CSS";

const char kTimelineScript[] = R"JS(
(function () {
  const NS = 'http://www.w3.org/2000/svg';
  const LANE = 28, NAME = 260;
  const page = document.getElementById('page');
  let zoom = 1;

  function el(name, attrs, parent, ns) {
    const node = ns === false ? document.createElement(name) : document.createElementNS(NS, name);
    for (const key in attrs) node.setAttribute(key, attrs[key]);
    if (parent) parent.appendChild(node);
    return node;
  }
  function div(cls, parent, text) {
    const node = document.createElement('div');
    if (cls) node.className = cls;
    if (text !== undefined) node.textContent = text;
    if (parent) parent.appendChild(node);
    return node;
  }
  function fmt(x) { return Math.round(x * 1000) / 1000; }
  // A time's beat, as the checker wrote it beside the time.
  function beatLabel(item) { return item.b ? ' (' + item.b + ')' : ''; }
  function detail(text) { document.getElementById('detail').textContent = text; }

  function header() {
    const h = document.createElement('header');
    page.appendChild(h);
    const h1 = document.createElement('h1');
    h1.textContent = 'Timeline' + (DATA.title ? ': ' + DATA.title : '');
    h.appendChild(h1);
    const facts = div('facts', h);
    facts.textContent = fmt(DATA.seconds) + ' s; ' + DATA.events.length + ' events in ' +
      DATA.script +
      '; ' + DATA.findings.length + ' findings; ' +
      (DATA.tempo ? DATA.tempo.bpm + ' BPM, beat 0 at ' + DATA.tempo.beatZero + ' s'
                  : 'no tempo in the manifest, so no beat grid');
    const select = document.createElement('select');
    select.id = 'zoom';
    for (const z of [1, 2, 4, 8, 16]) {
      const o = document.createElement('option');
      o.value = z; o.textContent = 'zoom ' + z + 'x';
      select.appendChild(o);
    }
    select.onchange = function () { zoom = Number(select.value); draw(); };
    facts.appendChild(select);
    if (DATA.waveNote) div('note', h, DATA.waveNote);
    if (DATA.thumbnailNote) div('note', h, DATA.thumbnailNote);
  }

  function grid(svg, width, height, scale) {
    const tempo = DATA.tempo;
    if (!tempo || !(tempo.bpm > 0)) return;
    const step = 60 / tempo.bpm;
    if (step * scale < 3) return;
    let n = Math.ceil(-tempo.beatZero / step);
    for (let t = tempo.beatZero + n * step; t <= DATA.seconds; t += step, ++n) {
      const x = t * scale;
      el('line', {x1: x, x2: x, y1: 0, y2: height,
                  class: n % tempo.beatsPerBar === 0 ? 'bar' : 'beat'}, svg);
    }
  }

  function row(cls, label, height, width) {
    const r = div('row ' + cls, document.getElementById('rows'));
    const name = div('name', r, label);
    name.title = label;
    const svg = el('svg', {width: width, height: height}, r);
    return {row: r, svg: svg};
  }

  // Active spans: where START or SHOW turned the target on until STOP or HIDE turned it off.
  function spans(events) {
    const out = [];
    let from = null;
    for (const e of events) {
      const on = e.fx === 'FX_START' || e.fx === 'FX_SHOW';
      const off = e.fx === 'FX_STOP' || e.fx === 'FX_HIDE';
      if (on && from === null) from = e.t;
      if (off && from !== null) { out.push([from, e.t]); from = null; }
    }
    if (from !== null) out.push([from, DATA.seconds]);
    return out;
  }

  // Each keyed value over time, from what the target starts with: a step where an event sets it
  // at once, a slope where it moves there. FX_MOVE steps the corner by its numbers; FX_MOVE and
  // FX_RESIZE draw both of theirs, the others their first.
  function curves(svg, events, scale, start) {
    const byValue = {};
    for (const e of events) {
      if (['FX_CHANGE_CAM', 'FX_NOISE', 'FX_AQUA', 'FX_EXPLODE'].includes(e.fx)) continue;
      const parts = e.fx === 'FX_MOVE' || e.fx === 'FX_RESIZE' ? 2 : 1;
      for (let k = 0; k < Math.min(parts, e.v.length); ++k)
        if (e.v[k] !== null) (byValue[e.fx + ' ' + k] = byValue[e.fx + ' ' + k] || []).push(e);
    }
    for (const key in byValue) {
      const fx = key.split(' ')[0], k = Number(key.split(' ')[1]);
      let value = start[fx] ? start[fx][k] : 0;
      const first = value;
      const steps = byValue[key].map(function (e) {
        const from = value;
        value = fx === 'FX_MOVE' ? value + e.v[k] : e.v[k];
        return {e: e, from: from, to: value};
      });
      const values = [first].concat(steps.map(s => s.to));
      let low = Math.min(0, ...values), high = Math.max(...values);
      if (fx === 'FX_ALPHA' || fx === 'FX_BLUR') { low = 0; high = 1; }
      if (high <= low) high = low + 1;
      const y = v => LANE - 3 - (v - low) / (high - low) * (LANE - 6);
      const points = [[0, y(first)]];
      for (const s of steps) {
        const shape = s.e.shape || [0, 1];
        shape.forEach(function (f, n) {
          const x = (s.e.t + s.e.move * n / (shape.length - 1)) * scale;
          points.push([x, y(s.from + (s.to - s.from) * f)]);
        });
      }
      points.push([DATA.seconds * scale, y(value)]);
      const text = points.map(p => p[0].toFixed(1) + ',' + p[1].toFixed(1)).join(' ');
      el('polyline', {class: 'value', 'data-effect': fx, 'data-part': k, points: text}, svg);
    }
  }

  function draw() {
    const rows = document.getElementById('rows');
    rows.textContent = '';
    const available = Math.max(400, window.innerWidth - NAME - 20);
    const scale = available / Math.max(1, DATA.seconds) * zoom;
    const width = Math.ceil(DATA.seconds * scale) + 2;

    // Time ruler.
    const ruler = row('ruler', 'seconds' + (DATA.tempo ? ' / bars' : ''), 20, width);
    const every = [1, 2, 5, 10, 15, 30, 60].find(s => s * scale >= 60) || 120;
    for (let t = 0; t <= DATA.seconds; t += every) {
      el('line', {class: 'tick', x1: t * scale, x2: t * scale, y1: 10, y2: 18}, ruler.svg);
      el('text', {class: 'ticktext', x: t * scale + 2, y: 10}, ruler.svg).textContent = t + ' s';
    }
    // Bar numbers, where they fit.
    const tempo = DATA.tempo;
    if (tempo && tempo.bpm > 0) {
      const bar = 60 / tempo.bpm * tempo.beatsPerBar;
      const skip = Math.max(1, Math.ceil(40 / (bar * scale)));
      const first = Math.ceil(-tempo.beatZero / bar);
      for (let n = first; tempo.beatZero + n * bar <= DATA.seconds; ++n) {
        if (n % skip !== 0) continue;
        const x = (tempo.beatZero + n * bar) * scale + 2;
        el('text', {class: 'bartext', x: x, y: 18}, ruler.svg).textContent = n + 1;
      }
    }

    // Waveform: the lowest and highest sample of each column.
    const wave = row('wave', 'music', 60, width);
    if (DATA.low.length > 0) {
      const n = DATA.low.length, w = DATA.waveSeconds * scale;
      let d = '';
      const point = (i, level) => (i * w / n).toFixed(1) + ',' + (30 - level * 0.29).toFixed(1);
      for (let i = 0; i < n; ++i) d += (i ? 'L' : 'M') + point(i, DATA.high[i]);
      for (let i = n - 1; i >= 0; --i) d += 'L' + point(i + 1, DATA.low[i]);
      el('path', {class: 'waveform', d: d + 'Z'}, wave.svg);
    }
    grid(wave.svg, width, 60, scale);

    // Pictures at their times.
    const thumbs = row('thumbs', 'pictures', 102, width);
    thumbs.svg.remove();
    const holder = div('', thumbs.row);
    holder.style.position = 'relative';
    holder.style.width = width + 'px';
    holder.style.height = '102px';
    for (const t of DATA.thumbnails) {
      const img = document.createElement('img');
      img.className = 'thumb';
      img.src = t.src;
      img.style.left = (t.t * scale) + 'px';
      img.title = fmt(t.t) + ' s' + beatLabel(t);
      img.dataset.time = t.t;
      holder.appendChild(img);
      const label = div('thumbtime', holder, fmt(t.t) + ' s');
      label.style.left = (t.t * scale) + 'px';
    }

    // Findings at their times.
    const found = row('findings', 'findings', LANE, width);
    for (const f of DATA.findings) {
      if (f.t === null) continue;
      const g = el('g', {class: 'finding', 'data-time': f.t}, found.svg);
      const x = f.t * scale;
      const foot = LANE - 4;
      const d = 'M' + x + ',4 L' + (x + 6) + ',' + foot + ' L' + (x - 6) + ',' + foot + 'Z';
      el('path', {d: d}, g);
      el('title', {}, g).textContent = f.text;
      g.onclick = () => detail(f.text);
    }

    // One lane per target.
    DATA.lanes.forEach(function (lane, n) {
      const r = row('lane', lane.label, LANE, width);
      r.row.dataset.lane = lane.id;
      const events = DATA.events.filter(e => e.lane === n && e.t !== null);
      events.sort((a, b) => a.t - b.t);
      grid(r.svg, width, LANE, scale);
      for (const s of spans(events))
        el('rect', {class: 'on', x: s[0] * scale, y: 2, width: Math.max(1, (s[1] - s[0]) * scale),
                    height: LANE - 4}, r.svg);
      curves(r.svg, events, scale, lane.start);
      events.forEach(function (e, i) {
        const x = e.t * scale;
        const g = el('g', {class: 'mark', 'data-effect': e.fx, 'data-line': e.line,
                           'data-time': e.t}, r.svg);
        if (e.move > 0)
          el('rect', {class: 'moving', x: x, y: 2, width: e.move * scale, height: LANE - 4}, g);
        el('line', {x1: x, x2: x, y1: 2, y2: LANE - 2}, g);
        const words = e.fx.replace('FX_', '') + (e.v.length ? ' ' + e.v.map(fmt).join(' ') : '') +
                      (e.move > 0 ? ' over ' + fmt(e.move) + ' s ' + e.curve : '');
        const next = events[i + 1];
        if (!next || (next.t - e.t) * scale > words.length * 5 + 6)
          el('text', {x: x + 3, y: 11}, g).textContent = words;
        const full = DATA.script + ':' + e.line + ': ' + fmt(e.t) + ' s' + beatLabel(e) + ', ' +
                     lane.label + ': ' + words;
        el('title', {}, g).textContent = full;
        g.onclick = () => detail(full);
      });
    });
  }

  header();
  const scroll = div('', page);
  scroll.id = 'scroll';
  div('', scroll).id = 'rows';
  const list = div('', page);
  list.id = 'list';
  const heading = DATA.findings.length ? 'Findings:\n' : 'No findings.\n';
  list.appendChild(document.createTextNode(heading));
  for (const f of DATA.findings) {
    const line = div(f.t === null ? 'untimed finding-line' : 'finding-line', list,
                     (f.t === null ? '' : fmt(f.t) + ' s' + beatLabel(f) + ': ') + f.text);
    line.dataset.time = f.t === null ? '' : f.t;
  }
  div('', page).id = 'detail';
  draw();
  window.addEventListener('resize', draw);
})();
)JS";
