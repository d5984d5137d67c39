// The script workload of bench_actions written as JavaScript, for Node.js
// started with --jitless (the benchmark's oracle). It must do the same work
// as the bytecode that Workload.cpp builds, statement for statement; the
// benchmark compares the checksums of both.
//
// node --jitless Workload.js N CALLS
// prints "checksum C" (the result of one call) and "elapsed_ns T" (the
// time of CALLS calls after one warm-up call, so start-up is not counted).
"use strict";

function Point(x, y) {
  this.x = x;
  this.y = y;
}
Point.prototype.sum = function () {
  return this.x + this.y;
};

function makeAdder(k) {
  return function (v) {
    return v + k;
  };
}

function bench(n) {
  var check = 0;
  var i;
  // Numbers.
  var acc = 0;
  for (i = 0; i < n; i++) acc = (acc + i * 3) % 10007;
  check = check + acc;
  // Arrays.
  var a = [];
  for (i = 0; i < n; i++) a.push((i * 7919) % 1000);
  var total = 0;
  for (i = 0; i < a.length; i++) total = total + a[i];
  a.sort();
  var joined = a.join(",");
  check = check + total + joined.length + joined.indexOf(",5");
  // Strings.
  var letters = "abcdefghijklmnopqrstuvwxyz";
  var s = "";
  for (i = 0; i < n; i++) s = s + letters.charAt((i * 7) % 26);
  var vowels = 0;
  for (i = 0; i < s.length; i++) {
    if (s.charAt(i) == "e") vowels++;
  }
  var found = 0;
  var pos = s.indexOf("hov");
  while (pos >= 0) {
    found++;
    pos = s.indexOf("hov", pos + 1);
  }
  var parts = s.split("a");
  check = check + vowels + found + parts.length + s.substr(n >> 1, 7).indexOf("o");
  // Objects.
  var objs = [];
  for (i = 0; i < n; i++) {
    var o = {};
    o.id = i;
    o.twice = i * 2;
    o["k" + (i % 8)] = 1;
    objs.push(o);
  }
  var props = 0;
  for (i = 0; i < objs.length; i++) {
    var p = objs[i];
    p.id = p.id + p.twice;
    props = props + p.id;
  }
  for (i = 0; i < objs.length; i = i + 16) {
    for (var key in objs[i]) props = props + 1;
  }
  check = check + props;
  // Calls: a closure and a method through a prototype.
  var add = makeAdder(5);
  var calls = 0;
  for (i = 0; i < n; i++) {
    var pt = new Point(i, 3);
    calls = (calls + add(pt.sum())) % 100003;
  }
  check = check + calls;
  return check;
}

const n = Number(process.argv[2] || 1000);
const calls = Number(process.argv[3] || 10);
const checksum = bench(n);
const start = process.hrtime.bigint();
for (let c = 0; c < calls; c++) bench(n);
const elapsed = process.hrtime.bigint() - start;
console.log("checksum " + checksum);
console.log("elapsed_ns " + elapsed.toString());
