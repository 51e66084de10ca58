// Writes o200k_base.tokens from the o200k_base rank table of the npm package js-tiktoken
// (MIT licence). Run once, where that package is installed:
//   node make-rank-file.mjs > o200k_base.tokens
//
// File layout: the four bytes "BPE1", the number of tokens as a 32-bit little-endian integer,
// then every token in rank order (rank 0 first): one byte holding its length (1 to 255), then
// its bytes. A token's rank is its position in the file.
import ranks from "js-tiktoken/ranks/o200k_base";

const byRank = [];
for (const line of ranks.bpe_ranks.split("\n").filter(Boolean)) {
    const [, offset, ...tokens] = line.split(" ");
    tokens.forEach((token, i) => { byRank[Number(offset) + i] = Buffer.from(token, "base64"); });
}
const header = Buffer.alloc(8);
header.write("BPE1", 0, "latin1");
header.writeUInt32LE(byRank.length, 4);
const parts = [header];
byRank.forEach((bytes, rank) => {
    if (!bytes || bytes.length < 1 || bytes.length > 255)
        throw new Error(`rank ${rank} missing or too long`);
    parts.push(Buffer.from([bytes.length]), bytes);
});
process.stdout.write(Buffer.concat(parts));
