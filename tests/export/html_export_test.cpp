// The HTML export: the pages as a browser receives them, byte for byte.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <string>
#include <vector>

#include "export/html_export.h"
#include "export/html_icons.h"
#include "model/catalog_loader.h"
#include "test_support.h"

using namespace testing_support;
using tavlor::CatalogModel;
using tavlor::HtmlExport;
using tavlor::HtmlExportOptions;
using tavlor::ItemId;

namespace {

class SilentReporter : public tavlor::LoadReporter {
public:
  void warning(const std::string &, const std::string &) override {}
};

// DATA holds docs, which holds a.txt (1,234 bytes) and the Zip Folder old.zip (5,000
// bytes stored, one member in sub/).
std::string dataCatalog(const std::string &fileName = "a.txt") {
  return "zar_version_1_1\n< \n   %drivetype fixed\n> \n + \"DATA\" 1000 500 1 1 2000 0 0 0\n < \n"
         " + \"docs\" 0 0 1 1 2000 0 0 0\n < \n"
         " \"" +
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
    SilentReporter reporter;
    ASSERT_NE(tavlor::loadCatalogText(model_, text, "/catalogs/" + name, reporter).status,
              tavlor::LoadStatus::Rejected);
  }
  ItemId item(const std::string &path) { return model_.findItemByPath(path); }
  tavlor::HtmlExportResult exportFrom(ItemId start, bool single, bool recurse, const std::string &out = "index.htm") {
    HtmlExportOptions options{dir_ / out, "My disks", recurse, single};
    HtmlExport e(model_, start, options, tavlor::htmlTotals(model_, start));
    int steps = 0;
    auto result = e.run([&] { ++steps; });
    pageNames_.clear();
    for (const auto &[entry, name] : e.pageNames())
      pageNames_[entry ? std::string(entry->name()) : "(root)"] = name;
    steps_ = steps;
    return result;
  }
  std::string page(const std::string &name) { return readFile(dir_ / name); }
  std::string date(const std::string &path) { return model_.dateText(*model_.findEntryByPath(path)); }

  CatalogModel model_;
  TempDir dir_;
  std::map<std::string, std::string> pageNames_;
  int steps_ = 0;
};

const std::vector<std::string> kHead = {
    "<html>",
    "<head>",
    "<title>Tavlor web catalog</title>",
    "<META NAME=\"Generator\" CONTENT=\"Tavlor\">",
    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">",
    "</head>",
    "<BODY BGCOLOR=\"#FFFFFF\" ALINK=\"#FF0000\" VLINK=\"#630000\">",
    "<font size=\"-1\">",
    "Web site generated using Tavlor",
    "<br>My disks",
    "</font>",
};

std::vector<std::string> withHead(std::vector<std::string> body) {
  body.insert(body.begin(), kHead.begin(), kHead.end());
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
  EXPECT_NE(page("Tavlor_folder1.htm").find("<a href=\"Tavlor_folder1.htm\"> <img SRC=\"upicon.gif\">"),
            std::string::npos);
  // A folder of a Zip Folder goes up to the Zip Folder's page.
  EXPECT_NE(page("Tavlor_folder4.htm").find("<tr><td><a href=\"Tavlor_folder3.htm\"> <img"), std::string::npos);

  for (const auto &icon : tavlor::htmlIcons()) {
    const std::string bytes = page(icon.fileName);
    EXPECT_EQ(bytes, std::string(icon.bytes)) << icon.fileName;
  }
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
  const std::string root = page("Tavlor_folder1.htm");
  EXPECT_NE(root.find("<b>My Removable Disk Drive</b>"), std::string::npos);
  EXPECT_NE(root.find("<a href=\"site.htm\"> <img SRC=\"upicon.gif\">"), std::string::npos);
  EXPECT_NE(root.find("<img SRC=\"foldericon.gif\"> <a href=\"Tavlor_folder6.htm\">MORE</a>"), std::string::npos);
  EXPECT_NE(page("Tavlor_folder6.htm").find("<a href=\"Tavlor_folder1.htm\"> <img SRC=\"upicon.gif\">"),
            std::string::npos);

  // From a folder: its page is page 1 and its up row leads to the index's own name.
  exportFrom(item("DATA/docs"), false, true, "docs.htm");
  EXPECT_EQ(pageNames_["docs"], "Tavlor_folder1.htm");
  EXPECT_NE(page("Tavlor_folder1.htm").find("<a href=\"docs.htm\"> <img SRC=\"upicon.gif\">"), std::string::npos);

  // Recurse off: one page; the Zip Folder row still links, with an empty target.
  exportFrom(item("DATA/docs"), false, false, "flat.htm");
  EXPECT_EQ(steps_, 1);
  EXPECT_EQ(pageNames_["old.zip"], "");
  EXPECT_NE(page("Tavlor_folder1.htm").find("<img SRC=\"zipicon.gif\"> <a href=\"\">old.zip</a>"), std::string::npos);
}

TEST_F(HtmlExportTest, SingleFileHasAnAnchoredSectionPerFolder) {
  load(dataCatalog());
  model_.setSizeUnit("KB");
  exportFrom(item("DATA"), true, true, "all.htm");
  const std::string all = page("all.htm");
  struct stat st;
  EXPECT_NE(::stat((dir_ / "Tavlor_folder1.htm").c_str(), &st), 0); // no pages besides the file
  const std::string docsSection = lines(
      {"<p>", "<a name=\"folder2\"><b>DATA/docs</b>", "<table border=\"0\" cellspacing=\"1\" cellpadding=\"0\">",
       "<td width=\"220\" bgcolor=\"#cccccc\" >Filename</td>", "<td bgcolor=\"#cccccc\" align=\"right\">Size</td>",
       "<td width=\"170\" bgcolor=\"#cccccc\" align=\"right\">Date</td>",
       "<tr><td><a href=\"#folder1\"> <img SRC=\"upicon.gif\"> <b> ..  </b> </a>"});
  EXPECT_NE(all.find(docsSection), std::string::npos) << all;
  // The disk's section has no up row: it follows the summary on the same line.
  EXPECT_NE(all.find("</table> <p>\r\n<a name=\"folder1\"><b>DATA</b>\r\n"), std::string::npos);
  EXPECT_NE(all.find("<td width=\"170\" bgcolor=\"#cccccc\" align=\"right\">Date</td>\r\n<tr><td> <img "
                     "SRC=\"foldericon.gif\"> <a href=\"#folder2\">docs</a> </td>"),
            std::string::npos);
  EXPECT_NE(all.find("<tr><td> <img SRC=\"zipicon.gif\"> <a href=\"#folder3\">old.zip</a> </td>"), std::string::npos);
  // The size in the user's unit, the counts plain.
  EXPECT_NE(all.find("Accumulated File Size</td><td align=\"right\">7KB</td>"), std::string::npos);
  EXPECT_TRUE(all.ends_with("</table>\r\n</body>\r\n</html>\r\n"));
}

TEST_F(HtmlExportTest, NamesDescriptionsAndPathsCannotBecomeMarkup) {
  load(dataCatalog("<script>a&b.txt"));
  // The catalog format cannot hold a double quote in a name; the description can.
  HtmlExportOptions options{dir_ / "in<dex>.htm", "Tom & \"Jerry\" <i>", true, false};
  HtmlExport e(model_, item("DATA/docs"), options, tavlor::htmlTotals(model_, item("DATA/docs")));
  e.run();
  const std::string docs = page("Tavlor_folder1.htm");
  EXPECT_NE(docs.find("<br>Tom &amp; &quot;Jerry&quot; &lt;i&gt;\r\n"), std::string::npos);
  EXPECT_NE(docs.find("<img SRC=\"fileicon.gif\"> &lt;script&gt;a&amp;b.txt </td>"), std::string::npos);
  EXPECT_NE(docs.find("<a href=\"in&lt;dex&gt;.htm\"> <img SRC=\"upicon.gif\">"), std::string::npos);
  EXPECT_EQ(docs.find("<script>"), std::string::npos);
  EXPECT_EQ(tavlor::htmlEscape("a\"b'c"), "a&quot;b'c");
}

// Names are bytes: a page is declared as UTF-8 only when it is; a name cataloged on
// Windows (Latin-1 bytes) makes its pages Windows-1252, byte for byte as cataloged.
TEST_F(HtmlExportTest, CharacterSetFollowsThePageBytes) {
  load(dataCatalog("caf\xe9.txt"));
  exportFrom(item("DATA"), false, true);
  EXPECT_NE(page("Tavlor_folder2.htm").find("charset=windows-1252\">\r\n"), std::string::npos);
  EXPECT_NE(page("Tavlor_folder2.htm").find("caf\xe9.txt"), std::string::npos);
  EXPECT_NE(page("Tavlor_folder1.htm").find("charset=utf-8\">\r\n"), std::string::npos);
  struct Case {
    const char *bytes;
    const char *charset;
  };
  for (const Case c : {Case{"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "utf-8"}, Case{"\xc3", "windows-1252"},
                       Case{"\xc0\xaf", "windows-1252"}, Case{"\xed\xa0\x80", "windows-1252"},
                       Case{"\xf4\x90\x80\x80", "windows-1252"}})
    EXPECT_STREQ(tavlor::htmlCharset(c.bytes), c.charset) << c.bytes;
}

TEST_F(HtmlExportTest, UnwritableOutputStillWritesTheIconsButNoPages) {
  load(dataCatalog());
  dir_.createDir("taken.htm"); // a folder where the index should go
  const auto result = exportFrom(item("DATA"), false, true, "taken.htm");
  EXPECT_FALSE(result.outputWritten);
  EXPECT_EQ(page("upicon.gif").size(), 863u);
  struct stat st;
  EXPECT_NE(::stat((dir_ / "Tavlor_folder1.htm").c_str(), &st), 0);
}

} // namespace
