// The HTML export: the pages as a browser receives them, byte for byte.
#include <filesystem>
#include <map>

#include "export/html_export.h"
#include "export/html_icons.h"
#include "export_fixture.h"
#include "model/name_text.h"

using namespace testing_support;
using export_tests::expectContains;
using tavlor::HtmlExport;
using tavlor::HtmlExportOptions;
using tavlor::ItemId;

namespace {

// DATA holds docs, which holds a.txt (1,234 bytes) and the Zip Folder old.zip (5,000
// bytes stored, one member in sub/).
std::string dataCatalog(const std::string &fileName = "a.txt") {
  return "zar_version_1_1\n< \n   %drivetype fixed\n> \n + \"DATA\" 1000 500 1 1 2000 0 0 0\n < \n"
         " + \"docs\" 0 0 1 1 2000 0 0 0\n < \n \"" +
         fileName +
         "\" 1234 2 1 2000 10 0 0\n"
         " + \"old.zip\" 5000 0 3 1 2000 11 0 0\n < \n + \"sub\" 0 0 3 1 2000 11 0 0\n < \n"
         " \"m.txt\" 7 3 1 2000 11 0 0\n > \n > \n > \n > \n";
}

std::string lines(const std::vector<std::string> &ls) {
  std::string out;
  for (const auto &l : ls)
    out += l + "\r\n";
  return out;
}

class HtmlExportTest : public ::testing::Test {
protected:
  void load(const std::string &text, const std::string &name = "DATA.zar") {
    export_tests::NoReports reporter;
    ASSERT_NE(tavlor::loadCatalogText(model_, text, "/catalogs/" + name, reporter).status,
              tavlor::LoadStatus::Rejected);
  }
  ItemId item(const std::string &path) { return model_.findItemByPath(path); }
  tavlor::HtmlExportResult exportFrom(ItemId start, bool single, bool recurse, const std::string &out = "index.htm") {
    HtmlExport e(model_, start, HtmlExportOptions{dir_ / out, "My disks", recurse, single},
                 tavlor::htmlTotals(model_, start));
    steps_ = 0;
    auto result = e.run([&] { ++steps_; });
    pageNames_.clear();
    for (const auto &[entry, name] : e.pageNames())
      pageNames_[entry ? std::string(entry->name()) : "(root)"] = name;
    return result;
  }
  std::string page(const std::string &name) { return readFile(dir_ / name); }
  bool written(const std::string &name) { return std::filesystem::exists(dir_ / name); }
  std::string date(const std::string &path) { return model_.dateText(*model_.findEntryByPath(path)); }

  tavlor::CatalogModel model_;
  TempDir dir_;
  std::map<std::string, std::string> pageNames_;
  int steps_ = 0;
};

std::vector<std::string> withHead(std::vector<std::string> body) {
  const std::vector<std::string> head = {"<html>",
                                         "<head>",
                                         "<title>Tavlor web catalog</title>",
                                         "<META NAME=\"Generator\" CONTENT=\"Tavlor\">",
                                         "</head>",
                                         "<BODY BGCOLOR=\"#FFFFFF\" ALINK=\"#FF0000\" VLINK=\"#630000\">",
                                         "<font size=\"-1\">",
                                         "Web site generated using Tavlor",
                                         "<br>My disks",
                                         "</font>"};
  body.insert(body.begin(), head.begin(), head.end());
  return body;
}

TEST_F(HtmlExportTest, WebSiteOfADiskIsTheWorkedExample) {
  load(dataCatalog());
  const auto result = exportFrom(item("DATA"), false, true);
  EXPECT_TRUE(result.outputWritten);
  EXPECT_TRUE(result.unwritten.empty());
  EXPECT_EQ(steps_, 4); // DATA, docs, old.zip, sub
  EXPECT_EQ(pageNames_, (std::map<std::string, std::string>{{"DATA", "Tavlor_folder1.htm"},
                                                            {"docs", "Tavlor_folder2.htm"},
                                                            {"old.zip", "Tavlor_folder3.htm"},
                                                            {"sub", "Tavlor_folder4.htm"}}));
  EXPECT_EQ(page("Tavlor_folder2.htm"),
            lines(withHead({
                "<p>",
                "<b>DATA/docs</b>",
                "<table border=\"0\" cellspacing=\"1\" cellpadding=\"0\">",
                "<td width=\"220\" bgcolor=\"#cccccc\" >Filename</td>",
                "<td bgcolor=\"#cccccc\" align=\"right\">Size</td>",
                "<td width=\"170\" bgcolor=\"#cccccc\" align=\"right\">Date</td>",
                "<tr><td><a href=\"Tavlor_folder1.htm\"> <img SRC=\"upicon.gif\"> <b> ..  </b> </a>",
                "<tr><td> <img SRC=\"fileicon.gif\"> a.txt </td><td align=\"right\">1,234</td><td align=\"right\">" +
                    date("DATA/docs/a.txt") + "</td></tr>",
                "<tr><td> <img SRC=\"zipicon.gif\"> <a href=\"Tavlor_folder3.htm\">old.zip</a> </td><td "
                "align=\"right\">5,000</td><td align=\"right\">" +
                    date("DATA/docs/old.zip") + "</td></tr>",
                "</table>",
                "</body>",
                "</html>",
            })));
  // The index: head, summary of the whole disk (members of the Zip Folder counted, their
  // sizes not: the model's totals), and the link to the start page; the
  // summary rows share one line with the closing body tag.
  EXPECT_EQ(page("index.htm"),
            lines(withHead({"<h4>Tavlor web catalog</h4> ", "<p>",
                            "<a href=\"Tavlor_folder1.htm\">DATA</a> (click link at left to browse catalog)",
                            "<p> Summary information: ", "<table border=\"0\" cellspacing=\"1\" cellpadding=\"0\">",
                            "<td width=\"220\" bgcolor=\"#cccccc\" >Text</td>",
                            "<td bgcolor=\"#cccccc\" align=\"right\">Value</td>",
                            "<tr> <td align=\"left\">Accumulated File Size</td><td align=\"right\">6,234</td></tr> "
                            "<tr> <td align=\"left\">No. of files</td><td align=\"right\">2</td></tr> "
                            "<tr> <td align=\"left\">No. of Folders</td><td align=\"right\">2</td></tr> "
                            "<tr> <td align=\"left\">No. of Zip Folders</td><td align=\"right\">1</td></tr> "
                            "</table> </body>",
                            "</html>"})));
  // The disk's own up row points at page 1, itself: its parent, the root, has no page.
  expectContains(page("Tavlor_folder1.htm"), {"<a href=\"Tavlor_folder1.htm\"> <img SRC=\"upicon.gif\">"});
  // A folder of a Zip Folder goes up to the Zip Folder's page.
  expectContains(page("Tavlor_folder4.htm"), {"<tr><td><a href=\"Tavlor_folder3.htm\"> <img"});
  for (const auto &icon : tavlor::htmlIcons())
    EXPECT_EQ(page(icon.fileName), std::string(icon.bytes)) << icon.fileName;
}

// Where the up row of each written folder leads, for the ways an export can start.
TEST_F(HtmlExportTest, UpRowsAndLinksFollowTheStartAndTheMode) {
  load(dataCatalog());
  load("zar_version_1_1\n< \n   %drivetype fixed\n> \n + \"MORE\" 10 5 1 1 2000 0 0 0\n < \n"
       " \"x\" 1 1 1 2000 0 0 0\n > \n",
       "MORE.zar");

  // From the root: page 1 is the root; its up row leads to the index, a disk's to page 1.
  exportFrom(model_.root(), false, true, "site.htm");
  EXPECT_EQ(pageNames_["(root)"], "Tavlor_folder1.htm");
  EXPECT_EQ(pageNames_["DATA"], "Tavlor_folder2.htm");
  EXPECT_EQ(pageNames_["MORE"], "Tavlor_folder6.htm");
  expectContains(page("Tavlor_folder1.htm"),
                 {"<b>My Removable Disk Drive</b>", "<a href=\"site.htm\"> <img SRC=\"upicon.gif\">",
                  "<img SRC=\"foldericon.gif\"> <a href=\"Tavlor_folder6.htm\">MORE</a>"});
  expectContains(page("Tavlor_folder6.htm"), {"<a href=\"Tavlor_folder1.htm\"> <img SRC=\"upicon.gif\">"});

  // From a folder: its page is page 1 and its up row leads to the index's own name.
  exportFrom(item("DATA/docs"), false, true, "docs.htm");
  EXPECT_EQ(pageNames_["docs"], "Tavlor_folder1.htm");
  expectContains(page("Tavlor_folder1.htm"), {"<a href=\"docs.htm\"> <img SRC=\"upicon.gif\">"});

  // Recurse off: one page; the Zip Folder row still links, with an empty target.
  exportFrom(item("DATA/docs"), false, false, "flat.htm");
  EXPECT_EQ(steps_, 1);
  EXPECT_EQ(pageNames_["old.zip"], "");
  expectContains(page("Tavlor_folder1.htm"), {"<img SRC=\"zipicon.gif\"> <a href=\"\">old.zip</a>"});
}

TEST_F(HtmlExportTest, SingleFileHasAnAnchoredSectionPerFolder) {
  load(dataCatalog());
  model_.setSizeUnit("KB");
  exportFrom(item("DATA"), true, true, "all.htm");
  const std::string all = page("all.htm");
  EXPECT_FALSE(written("Tavlor_folder1.htm")); // no pages besides the file
  expectContains(all, {lines({"<p>", "<a name=\"folder2\"><b>DATA/docs</b>",
                              "<table border=\"0\" cellspacing=\"1\" cellpadding=\"0\">",
                              "<td width=\"220\" bgcolor=\"#cccccc\" >Filename</td>",
                              "<td bgcolor=\"#cccccc\" align=\"right\">Size</td>",
                              "<td width=\"170\" bgcolor=\"#cccccc\" align=\"right\">Date</td>",
                              "<tr><td><a href=\"#folder1\"> <img SRC=\"upicon.gif\"> <b> ..  </b> </a>"}),
                       // The disk's section has no up row: it follows the summary on the same line.
                       "</table> <p>\r\n<a name=\"folder1\"><b>DATA</b>\r\n",
                       "<td width=\"170\" bgcolor=\"#cccccc\" align=\"right\">Date</td>\r\n<tr><td> <img "
                       "SRC=\"foldericon.gif\"> <a href=\"#folder2\">docs</a> </td>",
                       "<tr><td> <img SRC=\"zipicon.gif\"> <a href=\"#folder3\">old.zip</a> </td>",
                       // The size in the user's unit, the counts plain.
                       "Accumulated File Size</td><td align=\"right\">7KB</td>"});
  EXPECT_TRUE(all.ends_with("</table>\r\n</body>\r\n</html>\r\n"));
}

TEST_F(HtmlExportTest, NamesDescriptionsAndPathsCannotBecomeMarkup) {
  load(dataCatalog("<script>a&b.txt"));
  // The catalog format cannot hold a double quote in a name; the description can.
  HtmlExportOptions options{dir_ / "in<dex>.htm", "Tom & \"Jerry\" <i>", true, false};
  HtmlExport(model_, item("DATA/docs"), options, tavlor::htmlTotals(model_, item("DATA/docs"))).run();
  const std::string docs = page("Tavlor_folder1.htm");
  expectContains(docs, {"<br>Tom &amp; &quot;Jerry&quot; &lt;i&gt;\r\n",
                        "<img SRC=\"fileicon.gif\"> &lt;script&gt;a&amp;b.txt </td>",
                        "<a href=\"in&lt;dex&gt;.htm\"> <img SRC=\"upicon.gif\">"});
  EXPECT_EQ(docs.find("<script>"), std::string::npos);
  EXPECT_EQ(tavlor::htmlEscape("a\"b'c"), "a&quot;b'c");
}

// Names are tested a word at a time: a character of markup or a byte beyond ASCII is
// seen in every place of names of every length around a word's, and ASCII alone is
// told for every length.
TEST_F(HtmlExportTest, EveryPlaceOfAMarkupOrForeignByteIsSeen) {
  const std::string letters = "abcdefghijklmnopqrs";
  std::string rows;
  std::vector<std::string> names;
  for (const char special : {'&', '<', '>', '\xe9'})
    for (std::size_t length = 1; length <= letters.size(); ++length)
      for (std::size_t at = 0; at < length; ++at) {
        std::string name = letters.substr(0, length);
        name[at] = special;
        names.push_back(name);
        rows += " \"" + name + "\" 1 2 1 2000 10 0 0\n";
      }
  load("zar_version_1_1\n< \n   %drivetype fixed\n> \n + \"DATA\" 1000 500 1 1 2000 0 0 0\n < \n" + rows +
       " > \n");
  exportFrom(item("DATA"), true, true);
  const std::string single = page("index.htm");
  EXPECT_NE(single.find("charset=utf-8"), std::string::npos);
  for (const std::string &name : names)
    EXPECT_NE(single.find("> " + tavlor::htmlText(name) + " </td>"), std::string::npos) << name;
  for (std::size_t length = 0; length <= letters.size(); ++length) {
    std::string name = letters.substr(0, length);
    EXPECT_TRUE(tavlor::isAsciiText(name)) << length;
    for (std::size_t at = 0; at < length; ++at) {
      name[at] = '\x80';
      EXPECT_FALSE(tavlor::isAsciiText(name)) << length << " " << at;
      name[at] = letters[at];
    }
  }
}

// A page with a name beyond ASCII is UTF-8 throughout and says so; a name cataloged
// on Windows (not UTF-8) reads as the display shows it, without spoiling the UTF-8
// names beside it. Pages of ASCII names alone carry no declaration.
TEST_F(HtmlExportTest, PagesBeyondAsciiAreUtf8Throughout) {
  load("zar_version_1_1\n< \n   %drivetype fixed\n> \n + \"DATA\" 1000 500 1 1 2000 0 0 0\n < \n"
       " + \"caf\xc3\xa9\" 0 0 1 1 2000 0 0 0\n < \n \"na\xefve.txt\" 1 2 1 2000 10 0 0\n"
       " \"Grüße.txt\" 2 2 1 2000 10 0 0\n > \n > \n");
  exportFrom(item("DATA"), false, true, "\xe9t\xe9.htm");
  const std::string cafe = page("Tavlor_folder2.htm");
  expectContains(cafe, {"<META NAME=\"Generator\" CONTENT=\"Tavlor\">\r\n"
                        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">\r\n</head>",
                        "<b>DATA/caf\xc3\xa9</b>", "> na\xc3\xafve.txt </td>", "> Grüße.txt </td>"});
  EXPECT_TRUE(tavlor::isValidUtf8(cafe));
  // The disk's page names only ASCII, but its folder row does not.
  expectContains(page("Tavlor_folder1.htm"), {"charset=utf-8", ">caf\xc3\xa9</a>"});
  // The index links back by the file's own bytes.
  expectContains(page("\xe9t\xe9.htm"), {"<a href=\"Tavlor_folder1.htm\">DATA</a>"});
  exportFrom(item("DATA/caf\xc3\xa9"), false, false, "\xe9t\xe9.htm");
  expectContains(page("Tavlor_folder1.htm"), {"<a href=\"%E9t%E9.htm\"> <img SRC=\"upicon.gif\">"});

  const std::pair<const char *, const char *> cases[] = {
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"}, // UTF-8 stays
      {"\xc3", "\xc3\x83"},                             // a cut sequence: Windows-1252
      {"\xc0\xaf", "\xc3\x80\xc2\xaf"},                 // overlong
      {"\xed\xa0\x80", "\xc3\xad\xc2\xa0\xe2\x82\xac"}, // a surrogate; 0x80 is the euro sign
      {"\x81\xe9", "\xc2\x81\xc3\xa9"},                 // an unassigned byte keeps its code point
  };
  for (const auto &[bytes, text] : cases)
    EXPECT_EQ(tavlor::htmlText(bytes), text) << bytes;
}

// Another user who can write the output folder plants links under the names the
// export writes; each is replaced by the export's own file and its target is untouched.
// A missing folder is made; one that cannot be is named with the reason.
TEST_F(HtmlExportTest, WritesNewFilesOverPlantedLinksAndMakesItsFolder) {
  load(dataCatalog());
  const std::string victim = dir_.createFile("elsewhere/victim.txt", "precious");
  dir_.createDir("shared");
  for (const char *name : {"index.htm", "Tavlor_folder1.htm", "Tavlor_folder2.htm", "fileicon.gif", "upicon.gif"})
    std::filesystem::create_symlink(victim, dir_ / (std::string("shared/") + name));
  EXPECT_TRUE(exportFrom(item("DATA"), false, true, "shared/index.htm").outputWritten);
  EXPECT_EQ(page("elsewhere/victim.txt"), "precious");
  for (const char *name : {"index.htm", "Tavlor_folder1.htm", "Tavlor_folder2.htm", "fileicon.gif", "upicon.gif"})
    EXPECT_TRUE(
        std::filesystem::is_regular_file(std::filesystem::symlink_status(dir_ / (std::string("shared/") + name))))
        << name;
  expectContains(page("shared/Tavlor_folder2.htm"), {"<b>DATA/docs</b>"});

  const auto made = exportFrom(item("DATA"), true, true, "new/deeper/all.htm");
  EXPECT_TRUE(made.outputWritten);
  EXPECT_TRUE(made.unwritten.empty());
  EXPECT_EQ(page("new/deeper/zipicon.gif").size(), 900u);

  const auto refused = exportFrom(item("DATA"), false, true, "elsewhere/victim.txt/site/index.htm");
  EXPECT_FALSE(refused.outputWritten);
  ASSERT_EQ(refused.unwritten.size(), 1u);
  EXPECT_TRUE(refused.unwritten[0].folder);
  EXPECT_EQ(refused.unwritten[0].path, dir_ / "elsewhere/victim.txt/site");
  EXPECT_EQ(refused.unwritten[0].error, ENOTDIR);
}

TEST_F(HtmlExportTest, UnwritableOutputStillWritesTheIconsButNoPages) {
  load(dataCatalog());
  dir_.createDir("taken.htm"); // a folder where the index should go
  const auto result = exportFrom(item("DATA"), false, true, "taken.htm");
  EXPECT_FALSE(result.outputWritten);
  ASSERT_FALSE(result.unwritten.empty());
  EXPECT_EQ(result.unwritten[0].path, dir_ / "taken.htm");
  EXPECT_EQ(result.unwritten[0].error, EISDIR);
  EXPECT_EQ(page("upicon.gif").size(), 863u);
  EXPECT_FALSE(written("Tavlor_folder1.htm"));
}

// A folder of many subfolders, two of them case twins: each subfolder's row links to the
// page of its own folder, which lists its own file.
TEST_F(HtmlExportTest, ManySubfoldersAndCaseTwinsLinkToTheirOwnPages) {
  std::string text = "zar_version_1_1\n< \n   %drivetype fixed\n> \n + \"WIDE\" 0 0 1 1 2000 0 0 0\n < \n";
  std::vector<std::string> names = {"Docs", "DOCS"};
  for (int i = 0; i < 40; ++i)
    names.push_back("d" + std::to_string(i));
  for (const std::string &n : names)
    text += " + \"" + n + "\" 0 0 1 1 2000 0 0 0\n < \n \"in_" + n + "\" 1 1 1 2000 0 0 0\n > \n";
  load(text + " > \n", "WIDE.zar");
  ASSERT_TRUE(exportFrom(item("WIDE"), false, true).outputWritten);
  const std::string top = page(pageNames_.at("WIDE"));
  for (const std::string &n : names) {
    const std::string own = pageNames_.at(n);
    expectContains(top, {"<a href=\"" + own + "\">" + n + "</a>"});
    expectContains(page(own), {"<b>WIDE/" + n + "</b>", " in_" + n + " </td>"});
  }
}

TEST_F(HtmlExportTest, EveryFolderIsHeadedByItsWholePathInAnyOrderOfDepths) {
  // A deep branch followed by shallower siblings, on two disks, with names that need
  // converting or escaping: each heading is the folder's own path, whatever came before.
  auto folder = [](const std::string &name, const std::string &inside) {
    return " + \"" + name + "\" 0 0 1 1 2000 0 0 0\n < \n" + inside + " > \n";
  };
  const std::string file = " \"f.txt\" 1 1 1 2000 0 0 0\n";
  auto disk = [&](const std::string &label) {
    return "zar_version_1_1\n< \n   %drivetype fixed\n> \n" +
           folder(label, folder("a", folder("b", folder("c\xe9", file)) + folder("x&<y>", file)) +
                             folder("z", folder("a", file)));
  };
  load(disk("ONE"), "ONE.zar");
  load(disk("TWO"), "TWO.zar");
  const std::vector<std::string> paths = {"ONE", "ONE/a", "ONE/a/b", "ONE/a/b/c\xe9", "ONE/a/x&<y>", "ONE/z",
                                          "ONE/z/a", "TWO", "TWO/a/b/c\xe9", "TWO/z/a"};
  auto heading = [](const std::string &path) {
    return "<b>" + tavlor::htmlEscape(tavlor::displayUtf8Path(path)) + "</b>";
  };
  ASSERT_TRUE(exportFrom(model_.root(), true, true).outputWritten);
  const std::string single = page("index.htm");
  for (const std::string &path : paths)
    expectContains(single, {heading(path)});
  ASSERT_TRUE(exportFrom(item("TWO/a"), false, true, "site/index.htm").outputWritten);
  for (const std::string path : {"TWO/a", "TWO/a/b", "TWO/a/b/c\xe9", "TWO/a/x&<y>"})
    expectContains(page("site/" + pageNames_.at(path.substr(path.rfind('/') + 1))), {heading(path)});
}

} // namespace
