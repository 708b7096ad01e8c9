-- A Firefox places.sqlite in the layout Firefox writes (the tables and columns that hold
-- bookmarks; the others are left out): run with the sqlite3 program to make the fixture.
PRAGMA user_version = 77;
CREATE TABLE moz_origins (id INTEGER PRIMARY KEY, prefix TEXT NOT NULL, host TEXT NOT NULL, frecency INTEGER NOT NULL, recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency INTEGER, recalc_alt_frecency INTEGER NOT NULL DEFAULT 0, UNIQUE (prefix, host));
CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER , guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL, url_hash INTEGER DEFAULT 0 NOT NULL , description TEXT, preview_image_url TEXT, site_name TEXT, origin_id INTEGER REFERENCES moz_origins(id), recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency INTEGER, recalc_alt_frecency INTEGER NOT NULL DEFAULT 0);
CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT, dateAdded INTEGER, lastModified INTEGER, guid TEXT, syncStatus INTEGER NOT NULL DEFAULT 0, syncChangeCounter INTEGER NOT NULL DEFAULT 1);
CREATE UNIQUE INDEX moz_places_guid_uniqueindex ON moz_places (guid);
CREATE INDEX moz_bookmarks_itemindex ON moz_bookmarks (fk, type);
CREATE INDEX moz_bookmarks_parentindex ON moz_bookmarks (parent, position);
CREATE UNIQUE INDEX moz_bookmarks_guid_uniqueindex ON moz_bookmarks (guid);

INSERT INTO moz_places (id, url, title, rev_host, visit_count, last_visit_date, guid) VALUES
 (1, 'https://support.mozilla.org/products/firefox', 'Get Help', 'gro.allizom.troppus.', 0, NULL, 'pl000000001a'),
 (2, 'https://www.mozilla.org/about/', 'About Us', 'gro.allizom.www.', 3, 1700001000000000, 'pl000000002a'),
 (3, 'place:parent=toolbar_____&sort=12&maxResults=10', NULL, NULL, 0, NULL, 'pl000000003a'),
 (4, 'https://example.jp/日本語/ページ?q=検索', '日本語のページ', 'pj.elpmaxe.', 1, 1700002000000000, 'pl000000004a'),
 (5, 'https://example.com/😀/ü', 'emoji', 'moc.elpmaxe.', 0, NULL, 'pl000000005a'),
 (6, 'javascript:(function(){alert(document.title);})();', NULL, NULL, 0, NULL, 'pl000000006a'),
 (7, 'javascript:(function(){var%20w0=document.links[0];var%20w1=document.links[1];var%20w2=document.links[2];var%20w3=document.links[3];var%20w4=document.links[4];var%20w5=document.links[5];var%20w6=document.links[6];var%20w7=document.links[7];var%20w8=document.links[8];var%20w9=document.links[9];var%20w10=document.links[10];var%20w11=document.links[11];var%20w12=document.links[12];var%20w13=document.links[13];var%20w14=document.links[14];var%20w15=document.links[15];var%20w16=document.links[16];var%20w17=document.links[17];var%20w18=document.links[18];var%20w19=document.links[19];var%20w20=document.links[20];var%20w21=document.links[21];var%20w22=document.links[22];var%20w23=document.links[23];var%20w24=document.links[24];var%20w25=document.links[25];var%20w26=document.links[26];var%20w27=document.links[27];var%20w28=document.links[28];var%20w29=document.links[29];var%20w30=document.links[30];var%20w31=document.links[31];var%20w32=document.links[32];var%20w33=document.links[33];var%20w34=document.links[34];var%20w35=document.links[35];var%20w36=document.links[36];var%20w37=document.links[37];var%20w38=document.links[38];var%20w39=document.links[39];var%20w40=document.links[40];var%20w41=document.links[41];var%20w42=document.links[42];var%20w43=document.links[43];var%20w44=document.links[44];var%20w45=document.links[45];var%20w46=document.links[46];var%20w47=document.links[47];var%20w48=document.links[48];var%20w49=document.links[49];var%20w50=document.links[50];var%20w51=document.links[51];var%20w52=document.links[52];var%20w53=document.links[53];var%20w54=document.links[54];var%20w55=document.links[55];var%20w56=document.links[56];var%20w57=document.links[57];var%20w58=document.links[58];var%20w59=document.links[59];alert(1);})();', NULL, NULL, 0, NULL, 'pl000000007a'),
 (8, 'https://deep.example/a?b=1&c=2', NULL, 'elpmaxe.peed.', 0, NULL, 'pl000000008a'),
 (9, 'http://unfiled.example/', 'unfiled page', 'elpmaxe.delifnu.', 2, 1700003000000000, 'pl000000009a'),
 (10, 'place:type=6&sort=14&maxResults=10', NULL, NULL, 0, NULL, 'pl00000000aa'),
 (11, 'https://tagged.example/', NULL, 'elpmaxe.deggat.', 0, NULL, 'pl00000000ba');

INSERT INTO moz_bookmarks (id, type, fk, parent, position, title, dateAdded, lastModified, guid) VALUES
 (1, 2, NULL, 0, 0, '', 1690000000000000, 1690000000000000, 'root________'),
 (2, 2, NULL, 1, 0, 'menu', 1690000000000000, 1700000000000000, 'menu________'),
 (3, 2, NULL, 1, 1, 'toolbar', 1690000000000000, 1700000000000000, 'toolbar_____'),
 (4, 2, NULL, 1, 2, 'tags', 1690000000000000, 1700000000000000, 'tags________'),
 (5, 2, NULL, 1, 3, 'unfiled', 1690000000000000, 1700000000000000, 'unfiled_____'),
 (6, 2, NULL, 1, 4, 'mobile', 1690000000000000, 1700000000000000, 'mobile______'),
 -- the menu: a folder, a separator, a query, nested Japanese folders
 (7, 2, NULL, 2, 0, 'Mozilla Firefox', 1690000100000000, 1690000100000000, 'bm0000000007'),
 (8, 1, 1, 7, 0, 'Get Help', 1690000200000000, 1690000200000000, 'bm0000000008'),
 (9, 1, 2, 7, 1, 'About Us', 1690000300000000, 1690000300000000, 'bm0000000009'),
 (10, 3, NULL, 2, 1, NULL, 1690000400000000, 1690000400000000, 'bm0000000010'),
 (11, 1, 3, 2, 2, '最近のブックマーク', 1690000500000000, 1690000500000000, 'bm0000000011'),
 (12, 2, NULL, 2, 3, '日本語 📁 フォルダ', 1690000600000000, 1690000600000000, 'bm0000000012'),
 (13, 1, 4, 12, 0, '日本語のページ', 1690000700000000, 1690000700000000, 'bm0000000013'),
 (14, 2, NULL, 12, 1, '二段目', 1690000800000000, 1690000800000000, 'bm0000000014'),
 (15, 2, NULL, 14, 0, '三段目', 1690000900000000, 1690000900000000, 'bm0000000015'),
 (16, 1, 8, 15, 0, 'Deep & "quoted"', 1690001000000000, 1690001000000000, 'bm0000000016'),
 (17, 3, NULL, 12, 2, NULL, 1690001100000000, 1690001100000000, 'bm0000000017'),
 (18, 1, 5, 12, 3, 'Emoji 😀 title', 1690001200000000, 1690001200000000, 'bm0000000018'),
 -- the toolbar: bookmarklets (one longer than a record holds), a query, an empty folder
 (19, 1, 6, 3, 0, 'ブックマークレット', 1690001300000000, 1690001300000000, 'bm0000000019'),
 (20, 1, 7, 3, 1, '長いブックマークレット', 1690001400000000, 1690001400000000, 'bm0000000020'),
 (21, 1, 10, 3, 2, 'Recent Tags', 1690001500000000, 1690001500000000, 'bm0000000021'),
 (22, 2, NULL, 3, 3, '空', 1690001600000000, 1690001600000000, 'bm0000000022'),
 -- a tag and its entry: tags are no folders of the user's
 (23, 2, NULL, 4, 0, 'work', 1690001700000000, 1690001700000000, 'bm0000000023'),
 (24, 1, 11, 23, 0, NULL, 1690001700000000, 1690001700000000, 'bm0000000024'),
 -- other bookmarks: a title over two lines, and one without a title
 (25, 1, 9, 5, 0, 'unfiled
page', 1690001800000000, 1690001800000000, 'bm0000000025'),
 (26, 1, 11, 5, 1, NULL, 1690001900000000, 1690001900000000, 'bm0000000026');
