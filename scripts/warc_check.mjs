// Reads a web archive with webrecorder's warcio (an implementation independent of murel's) and
// checks every record: it parses without a warning, its WARC-Block-Digest and
// WARC-Payload-Digest (SHA-1, base32) match its bytes, a response's HTTP head has no
// Transfer-Encoding and a Content-Length equal to its payload, and its payload can be decoded
// per its Content-Encoding. Prints one JSON line per response or resource record: type, URI,
// date, status, coding, and the length and SHA-256 of the decoded body; the first line is the
// warcinfo record's fields. Exits 1 on the first problem, 2 when warcio cannot be loaded.
//
//   node scripts/warc_check.mjs ARCHIVE      (warcio from $MUREL_NPM, default /opt/murel-npm)
import { createHash } from "node:crypto";
import { execFileSync } from "node:child_process";
import { createReadStream } from "node:fs";
import { join } from "node:path";
import { pathToFileURL } from "node:url";
import zlib from "node:zlib";

const prefix = process.env.MUREL_NPM || "/opt/murel-npm";
let warcio;
try {
  warcio = await import(pathToFileURL(join(prefix, "node_modules/warcio/dist/index.js")).href);
} catch (error) {
  console.error(`warcio is not installed under ${prefix} (scripts/install-deps): ${error.message}`);
  process.exit(2);
}

const archive = process.argv[2];
const fail = (message) => {
  console.error(`${archive}: ${message}`);
  process.exit(1);
};
// warcio reports a record whose length is wrong with a warning and goes on: that is a failure.
console.warn = (...args) => fail("warcio: " + args.join(" "));

const sha1Label = (bytes) => {
  const digest = createHash("sha1").update(bytes).digest();
  const alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
  let bits = 0, value = 0, text = "";
  for (const byte of digest) {
    value = (value << 8) | byte;
    bits += 8;
    while (bits >= 5) {
      text += alphabet[(value >>> (bits - 5)) & 31];
      bits -= 5;
    }
  }
  return "sha1:" + text;
};

function decode(bytes, coding) {
  switch (coding) {
    case "gzip": case "x-gzip": return zlib.gunzipSync(bytes);
    case "deflate":
      try { return zlib.inflateSync(bytes); } catch { return zlib.inflateRawSync(bytes); }
    case "br": return zlib.brotliDecompressSync(bytes);
    case "zstd": return execFileSync("zstd", ["-dc"], { input: bytes, maxBuffer: 1 << 30 });
    default: return bytes;  // "identity" and labels that name no coding leave the body as it is
  }
}

const end = (bytes) => {
  const text = Buffer.from(bytes).indexOf("\r\n\r\n");
  if (text < 0) fail("a response block without the end of its HTTP head");
  return text + 4;
};

// First reading: the blocks as bytes, for the digests.
const raw = [];
for await (const record of new warcio.WARCParser(createReadStream(archive), { parseHttp: false })) {
  const block = await record.readFully(false);
  const type = record.warcType;
  if (block.length !== record.warcContentLength) fail(`${type} block of the wrong length`);
  if (record.warcBlockDigest !== sha1Label(block)) fail(`block digest of ${record.warcTargetURI}`);
  if (type === "response" || type === "resource") {
    const payload = type === "response" ? block.subarray(end(block)) : block;
    if (record.warcPayloadDigest !== sha1Label(payload)) {
      fail(`payload digest of ${record.warcTargetURI}`);
    }
  }
  raw.push({ type, block });
}
if (raw.length === 0 || raw[0].type !== "warcinfo") fail("the first record is no warcinfo");
console.log(JSON.stringify({ type: "warcinfo", fields: Buffer.from(raw[0].block).toString() }));

// Second reading: warcio's view of each HTTP head, and the body decoded per it.
let index = 0;
for await (const record of new warcio.WARCParser(createReadStream(archive))) {
  const type = record.warcType;
  const block = raw[index++].block;
  if (type !== "response" && type !== "resource") continue;
  const payload = type === "response" ? block.subarray(end(block)) : block;
  const http = record.httpHeaders;
  let coding = "";
  if (type === "response") {
    if (!http || !http.statusCode) fail(`response without an HTTP head: ${record.warcTargetURI}`);
    if (http.headers.get("Transfer-Encoding")) fail(`Transfer-Encoding kept: ${record.warcTargetURI}`);
    if (Number(http.headers.get("Content-Length")) !== payload.length) {
      fail(`Content-Length is not the body's: ${record.warcTargetURI}`);
    }
    coding = http.headers.get("Content-Encoding") || "";
  }
  let body = Buffer.from(payload);
  // Codings are undone in the reverse of the order they were applied.
  for (const name of coding.split(",").map((c) => c.trim().toLowerCase()).reverse()) {
    try {
      body = decode(body, name);
    } catch (error) {
      fail(`cannot undo ${name} of ${record.warcTargetURI}: ${error.message}`);
    }
  }
  await record.skipFully();
  console.log(JSON.stringify({
    type, uri: record.warcTargetURI, date: record.warcDate, status: http ? http.statusCode : null,
    contentType: record.warcContentType, coding, length: body.length,
    sha256: createHash("sha256").update(body).digest("hex"),
  }));
}
