#!/usr/bin/env python3
"""Writes a mostly-ASCII page of about N bytes with the video identifier near its end."""
import sys

size, out = int(sys.argv[1]), sys.argv[2]
row = ('<div class="item" data-x="12345">{"aweme_id":"7300000000000000000","desc":"现场版 live",'
       '"url_list":["https://example.invalid/a/b/c.jpeg"],"width":720,"height":1280}</div>\n')
body = ["<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>\n"]
length = len(body[0].encode())
while length < size - 2048:
    body.append(row)
    length += len(row.encode())
body.append('<script>{"video":{"play_addr":{"uri":"v0200fg10000cbenchmarkidentifier0","x":1}}}'
            '</script>\n')
body.append(row * 8)
body.append("</body></html>\n")
with open(out, "w", encoding="utf-8") as page:
    page.write("".join(body))
