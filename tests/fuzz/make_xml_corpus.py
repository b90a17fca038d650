#!/usr/bin/env python3
"""Writes the seed corpus of the XmlDocument fuzz test into xml_corpus/.

Each file holds one document as UTF-16LE code units, the form the harness reads; lone
surrogates are written as they are. Run it again after changing the list below and commit
the files it writes.
"""
import pathlib

GESTURES = (
    '<gesture action="U" cmd="9" title="向上滚屏" /><gesture action="D" cmd="10" '
    'title="向下滚屏" /><gesture action="R" cmd="1" title="前进" /><gesture action="L" '
    'cmd="0" title="后退" /><gesture action="DR" cmd="20" title="关闭" /><gesture '
    'action="UD" cmd="2" title="刷新" />'
)

SEEDS = {
    "gestures": GESTURES,
    "gestures_cut": GESTURES[:150],
    "gestures_in_root": "<gestures>\r\n" + GESTURES.replace("/>", "/>\r\n") + "</gestures>",
    "nested": '<?xml version="1.0" encoding="UTF-16"?>\n'
              '<r a="1"><b><c x=\'2\'/><d>text</d></b><e/><b><c/></b></r>\n',
    "deep": "<a>" * 40 + "<b x='1'/>" + "</a>" * 40,
    "entities": "<a v='a&amp;b&#x41;&#65;&lt;&gt;&quot;&apos;' w='&#x1F600;&#128512;&#x10FFFF;' "
                "n='&#;&#x;&#12a;&#0;&#xD800;&#x110000;&foo; &' cut='&am' u=&amp;>&amp;</a>",
    "markup": "<!DOCTYPE g [<!ENTITY e 'x>y'> <!-- don't --> <?pi it's ?> <!ELEMENT g ANY>]>"
              "<g><!-- > --><![CDATA[<x a='1'>]]><?pi x?>t<h/></g>",
    "attributes": "<a actions=\"1\" flag action = '2' cmd=12 title=\"x=3\" q='>' r=\"'\"></a>"
                  "<b x=1/><c 'q>' x=\"1\"></c><d x = \">\" />",
    "ignore_case": "<Gesture ACTION='U' Cmd='9'/><GESTURE action='D'></gesture>",
    "mismatched": "<r><a><b><c/></b><d></r><a></b></x>",
    "unterminated": "<r><a x='1><!-- x <![CDATA[ <? <!DOCTYPE a [ <",
    "bad_tags": "<r>< b/><1a/><!x><![x]><!-x><<b/></r></r",
    "surrogates": "<a x='\ud800'>\udc00\ud83d\ude00</a>\udfff<\ud800 y='\udc00'/>",
    "names": "<a=b/><a[2]/><a/b/><:x/><_y/><{z/><a\\b/>",
}


def main():
    out = pathlib.Path(__file__).resolve().parent / "xml_corpus"
    out.mkdir(exist_ok=True)
    for name, text in SEEDS.items():
        (out / name).write_bytes(text.encode("utf-16-le", "surrogatepass"))


if __name__ == "__main__":
    main()
