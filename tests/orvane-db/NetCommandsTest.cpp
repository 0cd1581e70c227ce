// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-db's commands about nets: the analysis as JSON, PNML out and back in, another
// editor's PNML, and PNML refused with one line.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "JsonShape.h"
#include "Pnml.h"
#include "TestJson.h"
#include "ToolRun.h"
#include "petrinet/PNLabel.h"
#include "support/DrawnNet.h"

namespace orvane {
namespace {

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string NetJson(const std::shared_ptr<CPNPetriNet>& net) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* stream = open_memstream(&text, &size);
    {
        CJsonWriter writer(stream, std::numeric_limits<std::uint64_t>::max());
        DumpNet(writer, net);
        writer.Finish();
    }
    std::fclose(stream);
    std::string json(text, size);
    std::free(text);
    return json;
}

// Nodes are the newest elements, as a net read from PNML has them.
TEST(Pnml, NetGoesOutAndBackInUnchanged) {
    const auto net = test::DrawnNet("wait=2 go/3 done; start: 2*wait -> go; stop: go -> done wait");
    test::ElementOf(*net, 1)->GetLabel()->SetFlag(false);
    test::ElementOf(*net, 3)->SetLabel(nullptr);
    test::ElementOf(*net, 4)->SetSize(20, 31);
    test::ElementOf(*net, 4)->GetLabel()->SetText(u"Začni <&> \"teraz\"");
    net->AddNode(6, 130, 90, false);
    net->AddNode(7, 170, 95, false);
    const auto stop = test::ElementOf(*net, 5);
    stop->RemoveArc(test::ElementOf(*net, 3).get());
    stop->AddArc(test::ElementOf(*net, 6));
    test::ElementOf(*net, 6)->AddArc(test::ElementOf(*net, 7));
    test::ElementOf(*net, 7)->AddArc(test::ElementOf(*net, 3));
    std::vector<std::string> warnings;
    SXmlElement document;
    std::string error;
    ASSERT_TRUE(CXmlReader(WritePnml(*net, "net", warnings)).Read(document, error)) << error;
    const auto back = ReadPnml(document, warnings, error);
    ASSERT_NE(back, nullptr) << error;
    EXPECT_EQ(NetJson(back), NetJson(net));
    EXPECT_EQ(warnings, std::vector<std::string>());
}

class NetCommandsTest : public test::InTempFolder {};

TEST_F(NetCommandsTest, ImportsAnotherEditorsConventionsSkippingWhatItDoesNotKnow) {
    Write("foreign.pnml", R"(<?xml version="1.0" encoding="utf-8"?>
<!-- drawn elsewhere -->
<pnml xmlns="http://www.pnml.org/version-2009/grammar/pnml">
 <net id="n1" type="http://www.pnml.org/version-2009/grammar/ptnet">
  <name><text>Elsewhere</text></name>
  <page id="g1"><page id="g2">
   <place id="P0"><name><text>čaká</text><graphics><offset x="0.0" y="10.0"/></graphics></name>
    <graphics><position x="30.5" y="40"/></graphics>
    <initialMarking><text> 2 </text></initialMarking>
    <toolspecific tool="Other" version="2"><colour>red</colour></toolspecific></place>
   <transition id="go"><graphics><position x="100" y="40"/><dimension x="20" y="40"/></graphics>
   </transition>
   <arc id="x" source="P0" target="go"><inscription><text>3</text></inscription></arc>
   <arc id="y" source="go" target="P0"><graphics><position x="60" y="90"/></graphics></arc>
   <finalMarkings/>
  </page></page>
 </net>
</pnml>)");
    const ToolRun run = Tool("pnml-import foreign.pnml");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err,
              "orvane-db: foreign.pnml: warning: line 10: <toolspecific> is not read; skipped\n"
              "orvane-db: foreign.pnml: warning: line 15: <finalMarkings> is not read; skipped\n");
    EXPECT_EQ(Json::parse(run.out), Json::parse(R"({"elements": [
        {"type": 1001, "id": 1, "x": 31, "y": 40, "radius": 20, "capacity": 32767, "tokens": 2,
         "label": {"id": -1, "x": 0, "y": 10, "text": "čaká", "flag": true}},
        {"type": 1002, "id": 2, "x": 90, "y": 20, "width": 20, "height": 40, "label": null},
        {"type": 1003, "id": 3, "x": 60, "y": 90, "label": null}],
        "arcs": [[3, 1, 1], [2, 3, 1], [1, 2, 3]]})"));
}

TEST_F(NetCommandsTest, RefusesWhatIsNoPlaceTransitionNetWithOneLine) {
    const std::string net =
        R"(<pnml><net id="n" type="http://www.pnml.org/version-2009/grammar/ptnet">
        <page id="g"><place id="p1"/><transition id="t1"/>)";
    struct SCase {
        std::string text;
        std::string error;
    };
    for (const auto& [text, error] : {
             SCase{"<pnml><net>", "line 1: <net> is not closed"},
             SCase{"<!DOCTYPE pnml [<!ENTITY a \"b\">]><pnml/>",
                   "line 1: document type and entity declarations are not read"},
             SCase{"<pnml><net id=\"n\" type=\"http://www.pnml.org/version-2009/grammar/"
                   "symmetricnet\"/></pnml>",
                   "not a place/transition net (type \"http://www.pnml.org/version-2009/"
                   "grammar/symmetricnet\")"},
             SCase{net + "<arc id=\"a\" source=\"p1\" target=\"t9\"/></page></net></pnml>",
                   "line 2: the arc's target is no place or transition of the net"},
             SCase{net + "<arc id=\"a\" source=\"p1\" target=\"t1\"><inscription><text>0</text>"
                         "</inscription></arc></page></net></pnml>",
                   "line 2: \"0\" is not a whole number of at least 1"},
             SCase{"<pnml a='&bomb;'/>", "line 1: unknown entity &bomb;"},
             SCase{"<pnml a='&;'/>", "line 1: unknown entity &;"},
         }) {
        Write("bad.pnml", text);
        const ToolRun run = Tool("pnml-import bad.pnml");
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "orvane-db: bad.pnml: " + error + "\n");
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(NetCommandsTest, AnalysesEachNetAndComparesTheWorkNetWithTheSolution) {
    Write("pool.json", R"({"type": "test", "test": {"questions": [{"kind": 2005, "id": 4,
        "workNet": {"elements": [{"type": 1001, "id": 1, "x": 0, "y": 0, "tokens": 1},
                                 {"type": 1002, "id": 2, "x": 50, "y": 0}], "arcs": [[1, 2, 1]]},
        "keyNet": {"elements": [{"type": 1001, "id": 7, "x": 9, "y": 9, "tokens": 1},
                                {"type": 1002, "id": 2, "x": 90, "y": 0}],
                   "arcs": [[7, 2, 1], [2, 7, 1]]}}]}})");
    ASSERT_EQ(Tool("pack pool.json quesdb").status, 0);
    const ToolRun run = Tool("analyse quesdb --states 10");
    ASSERT_EQ(run.status, 0) << run.err;
    const Json question = Json::parse(run.out)["questions"][0];
    EXPECT_EQ(question["workNet"]["deadlockSequence"], Json::parse(R"(["T2"])"));
    EXPECT_EQ(question["keyNet"]["reversible"], "yes");
    EXPECT_EQ(question["comparison"]["lines"],
              Json::parse(R"(["štruktúrne odlišná od riešenia: hrán 1, v riešení 2",
                  "správaním odlišná od riešenia: po T2 riešenie povolí T2, sieť nie"])"));
    const Json work = Json::parse(Tool("analyse quesdb --question 4 --net work").out);
    EXPECT_FALSE(work["questions"][0].contains("keyNet"));
    EXPECT_FALSE(work["questions"][0].contains("comparison"));
    for (const auto& [arguments, status] :
         {std::pair{"analyse quesdb --question 5", 1}, std::pair{"analyse quesdb --states 0", 2},
          std::pair{"pnml quesdb --question 4", 2},
          std::pair{"pnml quesdb --question 4 --net key", 0}}) {
        EXPECT_EQ(Tool(arguments).status, status) << arguments;
    }
}

}  // namespace
}  // namespace orvane
