// Writes token-corpus.json: texts with their o200k_base token counts as the npm package
// js-tiktoken counts them (special-token texts counted as ordinary text). Run once, where that
// package is installed:  node make-token-corpus.mjs > token-corpus.json
import { Tiktoken } from "js-tiktoken/lite";
import o200k from "js-tiktoken/ranks/o200k_base";

const enc = new Tiktoken(o200k);
const texts = [];
const add = (name, text) => texts.push({ name, text });

const code = {
    c: '#include <stdio.h>\n\nint main(int argc, char **argv)\n{\n\tfor (int i = 0; i < argc; ++i)\n\t\tprintf("%d: %s\\n", i, argv[i]);\n\treturn 0;\n}\n',
    cpp: 'template <typename T>\nauto sum(const std::vector<T>& v) -> T {\n    return std::accumulate(v.begin(), v.end(), T{});\n}\n// 0x1F, 1e-9, 42ull\n',
    python: 'def fib(n: int) -> int:\n    """Return the n-th Fibonacci number."""\n    a, b = 0, 1\n    for _ in range(n):\n        a, b = b, a + b\n    return a\n\nprint(f"{fib(30)=}")\n',
    javascript: "const add = (a, b) => a + b;\nexport default async function load(url) {\n  const res = await fetch(url);\n  if (!res.ok) throw new Error(`HTTP ${res.status}`);\n  return res.json();\n}\n",
    typescript: 'interface User { id: number; name?: string }\nfunction greet<T extends User>(u: T): string {\n  return `Hello, ${u.name ?? "anonymous"}!`;\n}\n',
    rust: 'fn main() {\n    let v: Vec<u32> = (1..=10).filter(|x| x % 2 == 0).collect();\n    println!("{:?}", v);\n    match v.len() { 0 => {}, n => eprintln!("{n}") }\n}\n',
    go: 'package main\n\nimport "fmt"\n\nfunc main() {\n\tch := make(chan int, 3)\n\tgo func() { ch <- 42 }()\n\tfmt.Println(<-ch)\n}\n',
    java: 'public final class Point {\n    private final double x, y;\n    @Override public String toString() { return "Point[" + x + ", " + y + "]"; }\n}\n',
    kotlin: 'data class User(val name: String, val age: Int)\nfun main() = listOf(User("Ann", 31)).filter { it.age >= 18 }.forEach(::println)\n',
    swift: 'struct Stack<Element> {\n    private var items: [Element] = []\n    mutating func push(_ item: Element) { items.append(item) }\n}\n',
    csharp: 'namespace Demo;\npublic record Person(string First, string Last) {\n    public override string ToString() => $"{First} {Last}";\n}\n',
    ruby: "class Greeter\n  def initialize(name) = @name = name\n  def greet; puts \"Hi #{@name}!\"; end\nend\nGreeter.new('Bob').greet\n",
    php: '<?php\nfunction h(string $s): string {\n    return htmlspecialchars($s, ENT_QUOTES, \'UTF-8\');\n}\necho h($_GET["q"] ?? "");\n',
    shell: '#!/usr/bin/env bash\nset -euo pipefail\nfor f in "$@"; do\n  [[ -f $f ]] && wc -l -- "$f" || echo "missing: $f" >&2\ndone\n',
    sql: "SELECT u.id, COUNT(o.id) AS orders\nFROM users u LEFT JOIN orders o ON o.user_id = u.id\nWHERE u.created_at >= '2024-01-01'\nGROUP BY u.id HAVING COUNT(o.id) > 3;\n",
    html: '<!DOCTYPE html>\n<html lang="en">\n<head><meta charset="utf-8"><title>Demo</title></head>\n<body>\n  <p class="note">Hello &amp; welcome</p>\n</body>\n</html>\n',
    css: ':root { --accent: #0a84ff; }\n.card > h2::after {\n  content: "\\2192";\n  margin: 0 0.5rem;\n  color: rgba(0, 0, 0, .6);\n}\n',
    yaml: 'name: build\non: [push, pull_request]\njobs:\n  test:\n    runs-on: ubuntu-latest\n    steps:\n      - uses: actions/checkout@v4\n      - run: make -j"$(nproc)" test\n',
    json: '{\n  "name": "demo",\n  "version": "1.2.3",\n  "tags": ["a", "b"],\n  "nested": {"empty": {}, "null": null, "pi": 3.14159}\n}\n',
    markdown: '# Title\n\nSome *emphasis*, **strong** and `code`.\n\n- item one\n- item two\n\n```sh\n$ make\n```\n\n> quoted [link](https://example.org/a?b=c#d)\n',
    haskell: 'module Main where\n\nqsort :: Ord a => [a] -> [a]\nqsort []     = []\nqsort (p:xs) = qsort [x | x <- xs, x < p] ++ [p] ++ qsort [x | x <- xs, x >= p]\n',
    lisp: "(defun factorial (n)\n  (if (<= n 1)\n      1\n      (* n (factorial (- n 1)))))\n(format t \"~a~%\" (factorial 20))\n",
    lua: 'local t = setmetatable({}, { __index = function(_, k) return k * 2 end })\nfor i = 1, 3 do print(i, t[i]) end\n',
    perl: 'my %seen;\nwhile (my $line = <STDIN>) {\n    chomp $line;\n    print "$line\\n" unless $seen{lc $line}++;\n}\n',
    r: 'df <- data.frame(x = 1:10, y = rnorm(10))\nfit <- lm(y ~ x, data = df)\nsummary(fit)$r.squared\n',
    makefile: 'CFLAGS ?= -O2 -Wall\nobjs := $(patsubst %.c,%.o,$(wildcard src/*.c))\n\napp: $(objs)\n\t$(CC) $(LDFLAGS) -o $@ $^\n\n.PHONY: clean\nclean:\n\trm -f app $(objs)\n',
    dockerfile: 'FROM debian:12-slim\nRUN apt-get update \\\n && apt-get install -y --no-install-recommends ca-certificates \\\n && rm -rf /var/lib/apt/lists/*\nCMD ["/bin/sh"]\n',
    cmake: 'cmake_minimum_required(VERSION 3.25)\nproject(Demo LANGUAGES CXX)\nadd_executable(demo main.cpp)\ntarget_compile_features(demo PRIVATE cxx_std_20)\n',
    arduino: 'const int led = 13;\nvoid setup() { pinMode(led, OUTPUT); }\nvoid loop() {\n  digitalWrite(led, HIGH); delay(500);\n  digitalWrite(led, LOW);  delay(500);\n}\n',
    assembly: '_start:\n    mov rax, 60        ; exit\n    xor edi, edi\n    syscall\n',
    latex: '\\begin{equation}\n  e^{i\\pi} + 1 = 0 \\quad \\text{and} \\quad \\sum_{k=1}^{n} k = \\frac{n(n+1)}{2}\n\\end{equation}\n',
    regex: '^(?:[a-z0-9!#$%&\'*+/=?^_`{|}~-]+(?:\\.[a-z0-9!#$%&\'*+/=?^_`{|}~-]+)*)@(?:[a-z0-9-]+\\.)+[a-z]{2,}$\n',
    diff: 'diff --git a/x.c b/x.c\n--- a/x.c\n+++ b/x.c\n@@ -1,3 +1,3 @@\n-int x = 1;\n+int x = 2;\n int y;\n',
    minified: 'function(e,t){"use strict";var n=e.length>>>0,r=0;for(;r<n;r++)if(t.call(e,e[r],r))return!0;return!1}',
    base64: 'iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNkYPhfDwAChwGA60e6kgAAAABJRU5ErkJggg==',
};
for (const [lang, text] of Object.entries(code)) add(`code ${lang}`, text);
for (const [lang, text] of Object.entries(code)) add(`code ${lang} with CR LF`, text.replace(/\n/g, "\r\n"));
for (const [lang, text] of Object.entries(code)) add(`code ${lang} indented with tabs`, text.replace(/^ {2,4}/gm, "\t"));

const prose = {
    english: "It was the best of times, it was the worst of times; it was the age of wisdom... Didn't they say so? \"Yes,\" she replied.",
    german: "Größere Änderungen übernimmt die Straßenbahn-Gesellschaft erst nächstes Jahr; außerdem fährt Bus Nr. 17 öfter.",
    french: "L'été dernier, nous sommes allés à Noël chez ma grand-mère ; c'était « magnifique », n'est-ce pas ?",
    spanish: "¿Dónde está la biblioteca? ¡Qué día tan bonito! El niño comió piña y jalapeños.",
    russian: "Съешь же ещё этих мягких французских булок, да выпей чаю. Москва — столица России.",
    greek: "Ξεσκεπάζω την ψυχοφθόρα βδελυγμία. Η Αθήνα είναι η πρωτεύουσα της Ελλάδας.",
    arabic: "مرحبا بالعالم! هذه جملة قصيرة باللغة العربية، تحتوي على علامات الترقيم.",
    hebrew: "שלום עולם! זהו משפט קצר בעברית עם ניקוד: שָׁלוֹם.",
    hindi: "नमस्ते दुनिया! यह हिन्दी में एक छोटा वाक्य है।",
    thai: "สวัสดีชาวโลก นี่คือประโยคภาษาไทยสั้นๆ",
    chinese: "你好，世界！这是一个简短的中文句子，包含标点符号。机器学习（ML）很有趣。",
    japanese: "こんにちは、世界！これは日本語の短い文です。カタカナとひらがな、漢字を含みます。",
    korean: "안녕하세요, 세계! 이것은 한국어로 된 짧은 문장입니다.",
    vietnamese: "Tiếng Việt có nhiều dấu: ắ ằ ẳ ẵ ặ, ố ồ ổ ỗ ộ. Xin chào thế giới!",
    turkish: "İstanbul'da ılık bir gün; ÇĞİÖŞÜ çğıöşü.",
    polish: "Zażółć gęślą jaźń. Pchnąć w tę łódź jeża lub ośm skrzyń fig.",
    emoji: "I love it 😍🔥👍🏽! Family: 👨‍👩‍👧‍👦, flags: 🇩🇪🇯🇵🏳️‍🌈, keycap 1️⃣, 🧑🏿‍💻 coding.",
    combining: "e\u0301 a\u0300 o\u0308 n\u0303 Z\u0351\u0352\u0357\u0358 q\u0307\u0323 \u1100\u1161\u11A8 a\u20DD",
    mixed: "Price: €1,234.56 (≈ $1,337) — 50% off! Temp −3°C → 27°F. π≈3.14159, √2≈1.414.",
    math: "∀x∈ℝ: x² ≥ 0 ⇒ ∑ᵢ aᵢ ≤ ∫₀^∞ f(t) dt; ℵ₀ < 𝔠; 𝔸𝔹ℂ 𝒜ℬ𝒞",
    fullwidth: "ＡＢＣ１２３！？　全角スペース　ｈａｌｆ",
    specials: "Text with <|endoftext|> and <|endofprompt|> inside, as plain words.",
    nbsp: "non\u00a0breaking\u00a0space, thin\u2009space, ideographic\u3000space, bom\ufeffhere, nel\u0085end",
    controls: "bell\u0007 vt\u000b ff\u000c esc\u001b[31m red\u001b[0m nul\u0000end",
    newer: "kaomoji ʕ•ᴥ•ʔ; Nag Mundari \u{1E4D0}\u{1E4D1}\u{1E4EB}; Kawi \u{11F04}\u{11F05}\u{11F34}; CJK \u{31350}\u{31351}; Garay \u{10D4A}\u{10D50}; mongolian\u180evowel",
    privateuse: "\ue000\uf8ff\u{F0000} private, \u{1F600}\u{10FFFD} astral, \u200b zero\u200cwidth\u200djoiner",
};
for (const [lang, text] of Object.entries(prose)) add(`prose ${lang}`, text);
for (const [lang, text] of Object.entries(prose)) add(`prose ${lang} upper case`, text.toUpperCase());

const contractions = ["s", "t", "re", "ve", "m", "ll", "d"];
const caseVariants = (s) => {
    const out = new Set();
    for (let mask = 0; mask < 1 << s.length; ++mask)
        out.add([...s].map((c, i) => (mask >> i) & 1 ? c.toUpperCase() : c).join(""));
    return [...out];
};
for (const c of contractions) {
    for (const v of caseVariants(c)) {
        add(`contraction '${v} after lower and upper words`, `it'${v} IT'${v} It'${v} iT'${v} 12'${v} '${v} x'${v}y don\u2019${v}`);
    }
}
add("contractions in a sentence", "I'm sure you've heard they'd said we'll go; it's theirs, isn't it? O'Neil's QUEEN'S");

const spaces = [" ", "\t", "\n", "\r\n", " \t", "\n\n", " \n", "\t\n", "\u00a0", "\u3000"];
for (const unit of spaces) {
    for (const n of [1, 2, 3, 7, 16, 33, 100]) {
        const run = unit.repeat(n);
        add(`run of ${n} × ${JSON.stringify(unit)} between words`, `a${run}b`);
    }
}
for (const n of [1, 5, 40, 300]) {
    add(`run of ${n} spaces at the end`, "end" + " ".repeat(n));
    add(`run of ${n} newlines at the start`, "\n".repeat(n) + "start");
    add(`run of ${n} mixed blanks before a line break`, " \t".repeat(n) + "\r\nx");
}
add("indentation of nested code", "if x:\n    if y:\n        if z:\n            return [\n                1,\n            ]\n");
add("trailing blanks on lines", "a  \nb\t\t\nc \t \r\nd\n\n  \n");

let digits = "";
for (let n = 1; n <= 16; ++n) {
    digits += String((n * 7919) % 10);
    add(`run of ${n} digits`, `x${digits}y ${digits}`);
}
add("numbers in many scripts", "٠١٢٣٤٥٦٧٨٩ ०१२३ ๑๒๓ ①②③ Ⅻ ½¾ 1,000,000.25 -0.5e+10 0b1010 0xFF 1_000");
add("dates and versions", "2024-02-29T23:59:59.999Z v1.2.3-rc.4+build.5 10:30pm 3/4/2025 192.168.0.1:8080");

const parts = [...Object.values(code), ...Object.values(prose)];
for (let i = 0; i < 24; ++i) {
    const a = parts[(i * 5) % parts.length], b = parts[(i * 11 + 3) % parts.length];
    add(`two texts joined ${i + 1}`, a + b);
}

const prefix = "Here are the files of my project.";
const suffix = "I want you to read everything above carefully, analyze how my app works completely. When you are finished just reply 'I\u2019m ready!'. I will ask questions or request new feautres when you are ready. If I want new features give me the full code, ready to copy and replace the original file. Unless it is just a small change in a single place.\n";
add("default prefix", prefix);
add("default suffix", suffix);
add("default prefix and suffix around files", `${prefix}\n\nFiles:\n- src/main.c\n- README.md\n\n--- src/main.c ---\n${code.c}\n--- README.md ---\n${code.markdown}\n${suffix}`);

add("empty text", "");
add("one space", " ");
add("one letter", "a");
add("one emoji", "🤖");
add("long word", "Pneumonoultramicroscopicsilicovolcanoconiosis".repeat(6));
add("long run of punctuation", "=".repeat(150) + "\n" + "-*".repeat(90) + "/\n");
add("long run of one letter", "a".repeat(257));
add("long run of CJK", "的".repeat(130) + "一二三四五六七八九十".repeat(8));
add("long camel case identifier", "getAbstractSingletonProxyFactoryBeanConfigurationHandlerForXMLHttpRequestParserV2".repeat(2));
add("url with query", "https://example.com/path/to/page.html?query=string&foo=bar&utf8=%E2%9C%93#fragment");

const seen = new Set();
for (const t of texts) {
    if (seen.has(t.name)) throw new Error(`duplicate name ${t.name}`);
    seen.add(t.name);
    t.tokens = enc.encode(t.text, [], []).length;
}
process.stdout.write(JSON.stringify(texts, null, 0).replace(/\},\{/g, "},\n{") + "\n");
