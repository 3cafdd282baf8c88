#!/usr/bin/env python3
"""Where the reading voice is heard, against the ticks that start it.

  live_onsets.py record OUT.wav SOURCE
      Records SOURCE (a sink's monitor) with parec until SIGTERM: OUT.wav, and
      OUT.wav.t0 with the CLOCK_MONOTONIC second of its first sample.
      OUT.wav.ready appears once sound flows.
  live_onsets.py measure REC.wav LOG READINGS [LIMIT_MS]
      LOG is the program's stderr with the kotoha.voice category on and
      QT_MESSAGE_PATTERN="%{time boot} %{category} %{message}". Each clip's
      first syllable is found in the recording and set against the moment
      its tick started it; exits 1 when one is more than LIMIT_MS (50) away.
"""
import array
import math
import os
import re
import signal
import subprocess
import sys
import time
import wave

RATE = 16000                   # the clips' own rate, so no resampling is needed here
FRAME = RATE // 200            # 5 ms
SEARCH = (-0.2, 1.0)           # seconds around the tick where the clip may start
MATCH_SECONDS = 1.5            # how much of the clip is matched; a neighbour's tail may overlap it
ONSET_DBFS = -40.0             # a frame louder than this has sound in it


def record(out, source):
    # The sink renders no further ahead than its monitor asks (5 ms), so a
    # sample reaches us about when a device would have played it.
    parec = subprocess.Popen(['parec', '--raw', '--format=s16le', '--channels=1', '--rate=%d' % RATE,
                              '--latency-msec=5', '-d', source], stdout=subprocess.PIPE)
    stop = []
    signal.signal(signal.SIGTERM, lambda *_: stop.append(1))
    data = bytearray()
    t0 = math.inf
    fd = parec.stdout.fileno()
    while not stop:
        try:
            chunk = os.read(fd, 4096)
        except InterruptedError:
            continue
        if not chunk:
            break
        now = time.monotonic()
        if not data:
            # An idle null sink wakes every 2 s: the first data says that it
            # now runs at the monitor's pace.
            open(out + '.ready', 'w').close()
        data += chunk
        # A sample cannot arrive before it is made: the earliest arrival
        # less the recording's length so far bounds where it began.
        t0 = min(t0, now - len(data) // 2 / RATE)
    parec.terminate()
    parec.wait()
    with wave.open(out, 'wb') as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(data[:len(data) // 2 * 2]))
    with open(out + '.t0', 'w') as f:
        f.write('%.6f\n' % t0)


def samples(path):
    with wave.open(path, 'rb') as w:
        if (w.getnchannels(), w.getsampwidth(), w.getframerate()) != (1, 2, RATE):
            sys.exit('%s: not 16-bit mono at %d Hz' % (path, RATE))
        a = array.array('h')
        a.frombytes(w.readframes(w.getnframes()))
    if sys.byteorder != 'little':
        a.byteswap()
    return a


def envelope(a):
    """RMS of every 5 ms frame, in dBFS (floor -90)."""
    out = []
    for i in range(0, len(a) - FRAME + 1, FRAME):
        ms = sum(x * x for x in a[i:i + FRAME]) / FRAME
        out.append(10 * math.log10(ms / 32768.0 ** 2) if ms > 0 else -90.0)
    return [max(v, -90.0) for v in out]


def correlation(x, y):
    n = len(x)
    mx, my = sum(x) / n, sum(y) / n
    sxy = sum((a - mx) * (b - my) for a, b in zip(x, y))
    sxx = sum((a - mx) ** 2 for a in x)
    syy = sum((b - my) ** 2 for b in y)
    return sxy / math.sqrt(sxx * syy) if sxx > 0 and syy > 0 else 0.0


def first_loud(env, start=0):
    return next((i for i in range(start, len(env)) if env[i] > ONSET_DBFS), None)


def measure(rec_path, log_path, readings, limit_ms):
    rec = envelope(samples(rec_path))
    with open(rec_path + '.t0') as f:
        t0 = float(f.read())
    starts = []
    with open(log_path, errors='replace') as f:
        for line in f:
            m = re.match(r'\s*([\d.]+) kotoha\.voice start (\d+)-([12])\s*$', line)
            if m:
                starts.append((float(m.group(1)), int(m.group(2)), int(m.group(3))))
    if not starts:
        print('live voice: the program started no clip')
        return 1
    worst = 0
    for tick, poem, half in starts:
        clip = envelope(samples(os.path.join(readings, '%03d-%d.wav' % (poem, half))))
        own = first_loud(clip)  # the first syllable's onset within the clip
        part = clip[:int(MATCH_SECONDS * 200)]
        at = round((tick - t0) * 200)
        best, where = -2.0, None
        for lag in range(at + int(SEARCH[0] * 200), at + int(SEARCH[1] * 200)):
            if lag < 0 or lag + len(part) > len(rec):
                continue
            c = correlation(part, rec[lag:lag + len(part)])
            if c > best:
                best, where = c, lag
        if where is None or best < 0.6 or own is None:
            print('live voice: poem %d half %d not found in the recording (best match %.2f)' % (poem, half, best))
            return 1
        offset = (where + own - at) * 5
        line = 'poem %3d half %d: first syllable heard %+4d ms from its tick (match %.2f)' % (poem, half, offset, best)
        # Before an upper verse there is silence: its onset can be read off
        # the recording alone, as a check on the match. The previous reading's
        # clip, held and fading, stops at the click, 150 ms before the tick.
        if half == 1:
            quiet = next((i for i in range(max(0, at - 40), len(rec))
                          if all(v <= ONSET_DBFS for v in rec[i:i + 8])), len(rec))
            onset = first_loud(rec, quiet)
            if onset is not None:
                line += ', onset alone %+4d ms' % ((onset - at) * 5)
        print(line)
        worst = max(worst, abs(offset))
    print('live voice: %d clips, worst %d ms (limit %d)' % (len(starts), worst, limit_ms))
    return 0 if worst <= limit_ms else 1


if __name__ == '__main__':
    if len(sys.argv) == 4 and sys.argv[1] == 'record':
        record(sys.argv[2], sys.argv[3])
    elif len(sys.argv) in (5, 6) and sys.argv[1] == 'measure':
        sys.exit(measure(sys.argv[2], sys.argv[3], sys.argv[4], int(sys.argv[5]) if len(sys.argv) == 6 else 50))
    else:
        sys.exit(__doc__)
