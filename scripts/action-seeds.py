#!/usr/bin/env python3
# action-seeds.py SUITE_DIR OUT_DIR: seeds for fuzz_actions from the action
# blocks (DoAction, DoInitAction, in sprites too) of the action suite's
# movies that use the object model: prototypes, closures, with, try/throw,
# getters and setters, enumeration. Each seed is the fuzz target's input:
# the version byte, the mode byte (0: frame actions on the root), the block.
import hashlib, os, struct, sys, zlib

FEATURES = {
    b'prototype': 'proto', b'__proto__': 'proto', b'addProperty': 'accessor', b'watch': 'watch',
    b'registerClass': 'class', b'super': 'super', b'apply': 'apply', b'hasOwnProperty': 'own',
    b'ASSetPropFlags': 'flags', b'__resolve': 'resolve', b'splice': 'array', b'sortOn': 'array',
}
OPCODES = {0x8F: 'try', 0x94: 'with', 0x2A: 'throw', 0x69: 'extends', 0x55: 'enumerate',
           0x53: 'newmethod', 0x54: 'instanceof', 0x2B: 'cast', 0x2C: 'implements'}

def tags(data, pos, end):
    while pos + 2 <= end:
        head = struct.unpack_from('<H', data, pos)[0]
        pos += 2
        code, length = head >> 6, head & 0x3F
        if length == 0x3F:
            if pos + 4 > end: return
            length = struct.unpack_from('<I', data, pos)[0]
            pos += 4
        if pos + length > end: return
        yield code, pos, length
        if code == 0: return
        pos += length

def blocks(data, pos, end):
    for code, at, length in tags(data, pos, end):
        if code == 12: yield data[at:at + length]
        elif code == 59: yield data[at + 2:at + length]
        elif code == 39: yield from blocks(data, at + 4, at + length)

def opcodes(block):
    pos = 0
    while pos < len(block):
        op = block[pos]
        yield op
        pos += 1
        if op >= 0x80:
            if pos + 2 > len(block): return
            pos += 2 + struct.unpack_from('<H', block, pos)[0]

def movie_blocks(path):
    raw = open(path, 'rb').read()
    if len(raw) < 8: return 0, []
    version = raw[3]
    if raw[:3] == b'CWS': body = zlib.decompress(raw[8:])
    elif raw[:3] == b'FWS': body = raw[8:]
    else: return version, []
    nbits = body[0] >> 3
    pos = (5 + 4 * nbits + 7) // 8 + 4
    return version, list(blocks(body, pos, len(body)))

def main():
    suite, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    chosen, covered = {}, {}
    for name in sorted(os.listdir(suite)):
        path = os.path.join(suite, name, 'movie.swf')
        if not os.path.exists(path): continue
        version, found = movie_blocks(path)
        for block in found:
            if len(block) < 16 or len(block) > 6000: continue
            kinds = {kind for word, kind in FEATURES.items() if word in block}
            kinds |= {OPCODES[op] for op in opcodes(block) if op in OPCODES}
            if not kinds: continue
            # Keep a block when it brings a feature seen fewer than 4 times.
            if all(covered.get(k, 0) >= 4 for k in kinds): continue
            for k in kinds: covered[k] = covered.get(k, 0) + 1
            seed = bytes([(min(max(version, 1), 16) - 1) & 15, 0]) + block
            key = hashlib.sha1(seed).hexdigest()[:8]
            chosen['suite_%s_%s' % (name[:40], key)] = seed
    for name, seed in chosen.items():
        open(os.path.join(out, name), 'wb').write(seed)
    print(len(chosen), 'seeds;', ', '.join('%s %d' % kv for kv in sorted(covered.items())))

main()
