#!/usr/bin/env python3
"""Writes catalogue.json, the demo catalogue of quorvo-server.

Every title, artist and album is invented. The special songs (ids 99000NN)
exercise the client's rules and the server's fault switches; their ids are
stable and listed in server/README.md. The regular songs (ids 1100001 on)
come from a fixed random seed, so the output never changes unless this file
does.
"""
import json
import random
from pathlib import Path

FLAC = "128,192,320,flac"


def special(id_, title, artist, album, **extra):
    song = {"id": str(id_), "title": title, "artist": artist, "album": album,
            "all_rate": FLAC, "seconds": 8}
    song.update(extra)
    if song["all_rate"] is None:
        del song["all_rate"]
    return song


SPECIALS = [
    special(9900001, "夜色温柔", "林晓风", "城市微光"),
    special(9900002, "Paper Lanterns", "The Velvet Orchard", "Lantern Season", all_rate="128,192,320"),
    special(9900003, 'Why/Not: Run*Away? |Now| "Go" \\Back', "Slash:Dot*Band", "Sym/bols", all_rate=FLAC),
    special(9900004, "<Intro> Bracket Theme", "Angle <Brackets>", "Tag <Album>", cdata=True),
    special(9900005, "Salt & Pepper", "Rain & Thunder", "Sun & Moon"),
    special(9900006, "同名曲 Twin Title", "Mirror One", "Twin Album A"),
    special(9900007, "同名曲 Twin Title", "Mirror Two", "Twin Album B"),
    special(9900008, '?*:|"', "Void Walker", "Nothing Left", all_rate=FLAC),
    special(9900010, "Rate Flac Lower", "Rate Tester", "Rate Variants", all_rate="128,192,320,flac"),
    special(9900011, "Rate Flac Upper", "Rate Tester", "Rate Variants", all_rate="128,192,320,FLAC"),
    special(9900012, "Rate Three Twenty", "Rate Tester", "Rate Variants", all_rate="128,320"),
    special(9900013, "Rate Only Flac", "Rate Tester", "Rate Variants", all_rate="flac"),
    special(9900014, "Rate Only OneTwentyEight", "Rate Tester", "Rate Variants", all_rate="128"),
    special(9900015, "Rate Empty", "Rate Tester", "Rate Variants", all_rate=""),
    special(9900016, "Rate Missing", "Rate Tester", "Rate Variants", all_rate=None),
    special(9900017, "Rate Gap", "Rate Tester", "Rate Variants", all_rate="128,,320"),
    special(9900018, "Rate Trailing Comma", "Rate Tester", "Rate Variants", all_rate="128,192,"),
    special(9900019, "Rate Lone Comma", "Rate Tester", "Rate Variants", all_rate=","),
    special(9900020, "无词之歌 Wordless", "Quiet Harbor", "No Lyrics Here", lrc=False),
    special(9900021, "Broken Link Html", "Link Tester", "Link Replies", link_reply="not_json"),
    special(9900022, "Broken Link Object", "Link Tester", "Link Replies", link_reply="object"),
    special(9900023, "Broken Link NoFiles", "Link Tester", "Link Replies", link_reply="no_file_list"),
    special(9900024, "Broken Link EmptyFiles", "Link Tester", "Link Replies", link_reply="empty_file_list"),
    special(9900030, "大海的尽头 Endless Sea", "潮汐合唱团", "Hi-Res 巨制", seconds=240, large=True),
    special(9900031, "Long Night Drive", "Marlow Finch", "Hi-Res Giants", seconds=260, large=True),
    special(9900032, "群山回响 Mountain Echo", "北极星乐团", "Hi-Res Giants", seconds=300, large=True),
    special(9900040, "Fault Delay", "Fault Tester", "Fault Cases", faults={"delay_ms": 2000}),
    special(9900041, "Fault Throttle", "Fault Tester", "Fault Cases", faults={"rate": 65536}),
    special(9900042, "Fault Drop", "Fault Tester", "Fault Cases", faults={"drop_after": 100000}),
    special(9900043, "Fault IgnoreRange", "Fault Tester", "Fault Cases", faults={"ignore_range": True}),
    special(9900044, "Fault Status500", "Fault Tester", "Fault Cases", faults={"status": 500}),
    special(9900045, "Fault Status404", "Fault Tester", "Fault Cases", faults={"status": 404}),
    special(9900046, "Fault Redirect", "Fault Tester", "Fault Cases", faults={"redirect": True}),
    special(9900047, "Fault Chunked", "Fault Tester", "Fault Cases", faults={"chunked": True}),
    special(9900048, "Fault Cookie", "Fault Tester", "Fault Cases",
            faults={"set_cookie": ["QSID=abc123; path=/", "QTRACK=9900048; HttpOnly"]}),
    special(9900049, "Fault FtpRedirect", "Fault Tester", "Fault Cases",
            faults={"redirect": "ftp://127.0.0.1/song.flac"}),
    special(9900050, "Fault LinkDelay", "Fault Tester", "Fault Cases", link_faults={"delay_ms": 3000}),
    special(9900051, "Fault LinkStatus", "Fault Tester", "Fault Cases", link_faults={"status": 500}),
    special(9900052, "Fault LyricMissing", "Fault Tester", "Fault Cases", lyric_faults={"status": 404}),
    special(9900053, "Fault Mp3Drop", "Fault Tester", "Fault Cases", all_rate="128,192,320",
            faults={"drop_after": 50000}),
    special(9900060, "Literal &amp; Entity", "Entity Band", "Escapes"),
    special(9900061, "Rare \U00020000 Glyph 罕见字", "Glyph Keeper", "Four Bytes"),
    special(9900062, "全角\u3000空格 Fullwidth", "Space Cadet", "Wide Spaces"),
    special(9900063, "Marathon " + "长" * 60 + " " + "Title " * 30 + "End", "Endurance Choir", "Very Long Names"),
    special(9900064, "  Spaced Out  ", " Padded Artist ", "Margins"),
    special(9900065, "夜色温柔", "林晓风", "城市微光 (Live)"),
]

CN_WORDS = ["晚风", "星河", "旧梦", "微光", "远山", "雨巷", "白昼", "海岸", "流年", "晨曦", "月台", "烟火",
            "回声", "长街", "归途", "花园", "灯塔", "纸船", "山谷", "雪夜", "南方", "北岛", "蓝鲸", "候鸟"]
CN_FORMS = ["{a}", "{a}与{b}", "{a}的爱", "爱在{a}", "{a}之歌", "给{a}的信", "{a}里的爱", "{a}日记"]
EN_WORDS = ["Harbor", "Velvet", "Neon", "Summer", "Winter", "Copper", "Silver", "Midnight", "Ocean", "Paper",
            "Glass", "Amber", "Hollow", "Wild", "Quiet", "Golden", "River", "Static", "Orchard", "Tide"]
EN_FORMS = ["{a} {b}", "Love in the {a}", "{a} Love", "The {a} Road", "{a} Heart", "Under {a} Skies",
            "{a} and {b}", "Letters to {a}"]
CN_ARTISTS = ["林晓风", "苏以宁", "周念", "叶知秋", "许安然", "顾北辰", "沈清歌", "唐一凡", "白露乐队",
              "北极星乐团", "陈默言", "夏至未至合唱团"]
EN_ARTISTS = ["The Velvet Orchard", "Marlow Finch", "Nova Harbor", "Echo Lane Collective", "Silver Alders",
              "June Calloway", "The Lantern Club", "Ivy & the Owls", "Northbound Fox", "Clara Whitmore",
              "The Midnight Tram", "Oskar Lindqvist Trio"]
CN_ALBUMS = ["城市微光", "星河旅人", "雨后的街", "海边的信", "风的形状", "夜航船", "第七个夏天", "白色回声"]
EN_ALBUMS = ["Lantern Season", "Northern Tides", "Tin Roof Stories", "Glass Orchard", "Summer Static",
             "Copper Mornings", "Live at the Boathouse", "Quiet Machines"]
RATES = [FLAC] * 9 + ["128,192,320"] * 6 + ["128,320"] * 2 + ["128"] + ["128,192,320,FLAC"]


def regular_songs(count):
    rng = random.Random(20231208)
    songs = []
    for n in range(count):
        chinese = n % 3 != 2
        if chinese:
            a, b = rng.sample(CN_WORDS, 2)
            title = rng.choice(CN_FORMS).format(a=a, b=b)
            artist = rng.choice(CN_ARTISTS)
            album = rng.choice(CN_ALBUMS)
        else:
            a, b = rng.sample(EN_WORDS, 2)
            title = rng.choice(EN_FORMS).format(a=a, b=b)
            artist = rng.choice(EN_ARTISTS)
            album = rng.choice(EN_ALBUMS)
        if n % 11 == 5:
            title += " (Live)"
        songs.append({"id": str(1100001 + n), "title": title, "artist": artist, "album": album,
                      "all_rate": rng.choice(RATES), "seconds": rng.randint(150, 330)})
    return songs


def main():
    songs = SPECIALS + regular_songs(240)
    out = Path(__file__).with_name("catalogue.json")
    lines = ['{"songs": [']
    lines.append(",\n".join(json.dumps(song, ensure_ascii=False) for song in songs))
    lines.append("]}")
    out.write_text("\n".join(lines) + "\n", encoding="utf-8")
    print(f"{len(songs)} songs written to {out}")


if __name__ == "__main__":
    main()
