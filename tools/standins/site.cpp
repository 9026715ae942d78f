#include "standins/site.h"

#include "utils/exceptions.h"
#include "utils/json.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#ifndef ORV_STANDINS_SITES_DIR
#define ORV_STANDINS_SITES_DIR "tools/sites"
#endif

namespace orv::standins {

namespace {

const char* const s_list_members[] = {"nodes",          "node_parameters",  "tdoa_settings",
                                      "tdoa_schedules", "network_settings", "trackableObjects"};

void require(bool condition, const std::string& what, const std::string& problem) {
    if (!condition)
        ORV_THROW_MSG("site: " + what + " " + problem);
}

void require_array(const Json::Value& parent, const char* member, const std::string& where) {
    const Json::Value& value = parent[member];
    require(value.isNull() || value.isArray(), where + member, "is not an array");
}

void require_uid(const Json::Value& element, const std::string& where) {
    require(element.isObject(), where, "is not an object");
    require(element["uid"].isString() && !element["uid"].asString().empty(), where + ".uid",
            "is not a non-empty string");
}

std::string indexed(const std::string& where, const char* member, Json::ArrayIndex i) {
    return where + member + "[" + std::to_string(i) + "]";
}

template <typename F>
void for_each_element(const Json::Value& parent, const char* member, F&& f) {
    const Json::Value& list = parent[member];
    if (!list.isArray())
        return;
    for (Json::ArrayIndex i = 0; i < list.size(); ++i)
        f(list[i], i);
}

std::string hex_mac(unsigned prefix, int i) {
    char text[16];
    std::snprintf(text, sizeof text, "%04X%08X", prefix & 0xFFFFu, static_cast<unsigned>(i));
    return text;
}

} // namespace

Json::Value load_site(const std::string& path) {
    std::ifstream in(path);
    if (!in)
        ORV_THROW_MSG("cannot open site file " + path);
    std::stringstream text;
    text << in.rdbuf();
    const auto parsed = utils::json_try_parse(text.str());
    if (!parsed.ok)
        ORV_THROW_MSG("site file " + path + " is not JSON: " + parsed.error);
    try {
        validate_site(parsed.result);
    } catch (const orv::exception& e) {
        ORV_THROW_MSG("site file " + path + ": " + e.what());
    }
    return parsed.result;
}

std::string sample_site_path() { return std::string(ORV_STANDINS_SITES_DIR) + "/sample-site.json"; }

void validate_site(const Json::Value& site) {
    require(site.isObject(), "document", "is not an object");
    require_array(site, "companies", "");
    for (const char* member : s_list_members)
        require_array(site, member, "");

    std::set<std::string> anchor_uids;
    for_each_element(site, "companies", [&](const Json::Value& company, Json::ArrayIndex c) {
        const std::string cw = indexed("", "companies", c);
        require_uid(company, cw);
        require_array(company, "projects", cw + ".");
        for_each_element(company, "projects", [&](const Json::Value& project, Json::ArrayIndex p) {
            const std::string pw = indexed(cw + ".", "projects", p);
            require_uid(project, pw);
            require_array(project, "locations", pw + ".");
            for_each_element(project, "locations", [&](const Json::Value& location, Json::ArrayIndex l) {
                const std::string lw = indexed(pw + ".", "locations", l);
                require_uid(location, lw);
                require_array(location, "sublocations", lw + ".");
                for_each_element(location, "sublocations", [&](const Json::Value& sub, Json::ArrayIndex s) {
                    const std::string sw = indexed(lw + ".", "sublocations", s);
                    require_uid(sub, sw);
                    require_array(sub, "win_anchors", sw + ".");
                    for_each_element(sub, "win_anchors", [&](const Json::Value& anchor, Json::ArrayIndex a) {
                        const std::string aw = indexed(sw + ".", "win_anchors", a);
                        require_uid(anchor, aw);
                        require(anchor_uids.insert(anchor["uid"].asString()).second, aw + ".uid",
                                "repeats an anchor uid");
                    });
                });
            });
        });
    });
    for_each_element(site, "nodes", [&](const Json::Value& node, Json::ArrayIndex i) {
        const std::string w = indexed("", "nodes", i);
        require(node.isObject() && node["mac_address"].isString(), w + ".mac_address", "is not a string");
    });
    for_each_element(site, "node_parameters", [&](const Json::Value& node, Json::ArrayIndex i) {
        const std::string w = indexed("", "node_parameters", i);
        require(node.isObject() && node["mac_address"].isString(), w + ".mac_address", "is not a string");
    });
}

Json::Value companies_answer(const Json::Value& site) {
    Json::Value answer{Json::objectValue};
    answer["companies"] = Json::Value{Json::arrayValue};
    for_each_element(site, "companies", [&](const Json::Value& company, Json::ArrayIndex) {
        Json::Value entry = company;
        entry.removeMember("projects");
        answer["companies"].append(entry);
    });
    return answer;
}

std::optional<Json::Value> snapshot_answer(const Json::Value& site, const std::string& company_uid) {
    std::optional<Json::Value> found;
    for_each_element(site, "companies", [&](const Json::Value& company, Json::ArrayIndex) {
        if (!found && company["uid"].asString() == company_uid) {
            Json::Value snapshot{Json::objectValue};
            snapshot["company"] = company;
            if (!snapshot["company"]["projects"].isArray())
                snapshot["company"]["projects"] = Json::Value{Json::arrayValue};
            found = snapshot;
        }
    });
    return found;
}

Json::Value list_answer(const Json::Value& site, const std::string& member) {
    Json::Value answer{Json::objectValue};
    const Json::Value& list = site[member];
    answer[member] = list.isArray() ? list : Json::Value{Json::arrayValue};
    return answer;
}

Json::Value node_parameters_answer(const Json::Value& site, const std::vector<std::string>& macs,
                                   const std::vector<std::string>& fields) {
    const std::set<std::string> wanted_macs(macs.begin(), macs.end());
    std::set<std::string> wanted_fields(fields.begin(), fields.end());
    wanted_fields.insert("mac_address");
    wanted_fields.insert("service_mode");

    Json::Value answer{Json::objectValue};
    answer["node_parameters"] = Json::Value{Json::arrayValue};
    for_each_element(site, "node_parameters", [&](const Json::Value& node, Json::ArrayIndex) {
        if (!wanted_macs.empty() && !wanted_macs.count(node["mac_address"].asString()))
            return;
        if (fields.empty()) {
            answer["node_parameters"].append(node);
            return;
        }
        Json::Value entry{Json::objectValue};
        for (const auto& name : node.getMemberNames())
            if (wanted_fields.count(name))
                entry[name] = node[name];
        answer["node_parameters"].append(entry);
    });
    return answer;
}

std::vector<anchor_ref> site_anchors(const Json::Value& site) {
    std::vector<anchor_ref> anchors;
    for_each_element(site, "companies", [&](const Json::Value& company, Json::ArrayIndex) {
        for_each_element(company, "projects", [&](const Json::Value& project, Json::ArrayIndex) {
            for_each_element(project, "locations", [&](const Json::Value& location, Json::ArrayIndex) {
                for_each_element(location, "sublocations", [&](const Json::Value& sub, Json::ArrayIndex) {
                    for_each_element(sub, "win_anchors", [&](const Json::Value& anchor, Json::ArrayIndex) {
                        anchor_ref ref;
                        ref.uid = anchor["uid"].asString();
                        ref.name = anchor["name"].asString();
                        ref.type = anchor["type"].asString();
                        ref.mac = anchor["mac"].asString();
                        ref.responsive = anchor["responsive"].asBool();
                        ref.sublocation_uid = sub["uid"].asString();
                        ref.location_uid = location["uid"].asString();
                        ref.project_uid = project["uid"].asString();
                        ref.company_uid = company["uid"].asString();
                        anchors.push_back(std::move(ref));
                    });
                });
            });
        });
    });
    return anchors;
}

site_summary summarize_site(const Json::Value& site) {
    site_summary s;
    for_each_element(site, "companies", [&](const Json::Value& company, Json::ArrayIndex) {
        ++s.companies;
        for_each_element(company, "projects", [&](const Json::Value& project, Json::ArrayIndex) {
            ++s.projects;
            for_each_element(project, "locations", [&](const Json::Value& location, Json::ArrayIndex) {
                ++s.locations;
                s.sublocations += location["sublocations"].isArray() ? location["sublocations"].size() : 0;
            });
        });
    });
    for (const auto& anchor : site_anchors(site)) {
        ++s.anchors;
        if (anchor.type == "BRIDGE")
            ++s.bridges;
    }
    auto size_of = [&](const char* member) -> std::size_t {
        return site[member].isArray() ? site[member].size() : 0;
    };
    s.nodes = size_of("nodes");
    s.node_parameters = size_of("node_parameters");
    s.trackables = size_of("trackableObjects");
    s.tdoa_settings = size_of("tdoa_settings");
    s.tdoa_schedules = size_of("tdoa_schedules");
    s.network_settings = size_of("network_settings");
    return s;
}

std::string to_string(const site_summary& s) {
    std::ostringstream out;
    out << s.companies << " companies, " << s.projects << " projects, " << s.locations << " locations, "
        << s.sublocations << " sublocations, " << s.anchors << " anchors (" << s.bridges << " bridges), "
        << s.nodes << " nodes, " << s.node_parameters << " node parameter sets, " << s.trackables
        << " trackables, " << s.tdoa_settings << " TDOA settings, " << s.tdoa_schedules
        << " TDOA schedules, " << s.network_settings << " network settings";
    return out.str();
}

std::string generated_anchor_mac(int i) { return hex_mac(0xA000, i); }
std::string generated_tag_mac(int i) { return hex_mac(0xB000, i); }

Json::Value generate_site(const site_size& size) {
    if (size.companies < 1 || size.projects_per_company < 1 || size.locations_per_project < 1 ||
        size.sublocations_per_location < 1 || size.anchors < 0 || size.trackables < 0 ||
        size.bridge_every < 0)
        ORV_THROW_MSG("generate_site: counts must be positive");

    Json::Value site{Json::objectValue};
    site["name"] = "generated site";
    Json::Value& companies = site["companies"] = Json::Value{Json::arrayValue};
    Json::Value& nodes = site["nodes"] = Json::Value{Json::arrayValue};
    Json::Value& parameters = site["node_parameters"] = Json::Value{Json::arrayValue};
    Json::Value& settings = site["tdoa_settings"] = Json::Value{Json::arrayValue};
    Json::Value& schedules = site["tdoa_schedules"] = Json::Value{Json::arrayValue};
    Json::Value& network = site["network_settings"] = Json::Value{Json::arrayValue};
    Json::Value& trackables = site["trackableObjects"] = Json::Value{Json::arrayValue};

    struct place {
        std::string company, project, sublocation;
        Json::Value* anchors;
    };
    std::vector<place> sublocations;
    std::vector<std::string> project_of_sublocation;
    for (int c = 0; c < size.companies; ++c) {
        Json::Value company{Json::objectValue};
        const std::string cu = "company-" + std::to_string(c + 1);
        company["uid"] = cu;
        company["name"] = "Company " + std::to_string(c + 1);
        company["projects"] = Json::Value{Json::arrayValue};
        companies.append(company);
    }
    // Second pass, once the company array no longer grows, so that pointers stay valid.
    for (int c = 0; c < size.companies; ++c) {
        Json::Value& company = companies[c];
        const std::string cu = company["uid"].asString();
        for (int p = 0; p < size.projects_per_company; ++p) {
            const std::string pu = cu + "-project-" + std::to_string(p + 1);
            Json::Value project{Json::objectValue};
            project["uid"] = pu;
            project["name"] = "Project " + std::to_string(p + 1) + " of " + company["name"].asString();
            project["locations"] = Json::Value{Json::arrayValue};
            for (int l = 0; l < size.locations_per_project; ++l) {
                const std::string lu = pu + "-location-" + std::to_string(l + 1);
                Json::Value location{Json::objectValue};
                location["uid"] = lu;
                location["name"] = "Location " + std::to_string(l + 1);
                location["sublocations"] = Json::Value{Json::arrayValue};
                for (int s = 0; s < size.sublocations_per_location; ++s) {
                    Json::Value sub{Json::objectValue};
                    sub["uid"] = lu + "-sublocation-" + std::to_string(s + 1);
                    sub["name"] = "Floor " + std::to_string(s + 1);
                    sub["win_anchors"] = Json::Value{Json::arrayValue};
                    location["sublocations"].append(sub);
                }
                project["locations"].append(location);
            }
            company["projects"].append(project);

            Json::Value tdoa{Json::objectValue};
            tdoa["project_uid"] = pu;
            tdoa["values"]["autostart"] = true;
            tdoa["values"]["configured_state"] = true;
            tdoa["values"]["active_schedule_uid"] = pu + "-schedule";
            tdoa["values"]["masters"] = Json::Value{Json::arrayValue};
            settings.append(tdoa);

            Json::Value nwk{Json::objectValue};
            nwk["project_uid"] = pu;
            nwk["service_mode"]["enabled"] = false;
            network.append(nwk);
        }
    }
    for (Json::Value& company : companies)
        for (Json::Value& project : company["projects"])
            for (Json::Value& location : project["locations"])
                for (Json::Value& sub : location["sublocations"])
                    sublocations.push_back(place{company["uid"].asString(), project["uid"].asString(),
                                                 sub["uid"].asString(), &sub["win_anchors"]});

    std::map<std::string, std::string> schedule_content;
    std::map<std::string, std::string> first_anchor;
    std::map<std::string, Json::ArrayIndex> settings_index;
    for (Json::ArrayIndex i = 0; i < settings.size(); ++i)
        settings_index[settings[i]["project_uid"].asString()] = i;

    std::map<std::string, int> anchors_in_project;
    for (int a = 0; a < size.anchors; ++a) {
        place& where = sublocations[static_cast<std::size_t>(a) % sublocations.size()];
        const std::string mac = generated_anchor_mac(a);
        const bool bridge = size.bridge_every > 0 && a % size.bridge_every == 0;
        Json::Value anchor{Json::objectValue};
        anchor["uid"] = "anchor-" + std::to_string(a + 1);
        anchor["name"] = (bridge ? "Bridge " : "Anchor ") + std::to_string(a + 1);
        anchor["type"] = bridge ? "BRIDGE" : "ANCHOR";
        anchor["mac"] = mac;
        anchor["responsive"] = true;
        where.anchors->append(anchor);

        const int node_id = a + 1;
        Json::Value node{Json::objectValue};
        node["mac_address"] = mac;
        node["node_id"] = node_id;
        node["uid"] = "node-" + mac;
        node["name"] = anchor["name"];
        node["project_uid"] = where.project;
        node["company_uid"] = where.company;
        // A bridge with its wired uplink is its own parent; an anchor hangs off the
        // bridge before it (and has no parent when there are no bridges).
        node["parent_mac_address"] = bridge ? mac
                                     : size.bridge_every > 0 ? generated_anchor_mac(a - a % size.bridge_every)
                                                             : std::string();
        node["status"]["low_bat"] = false;
        nodes.append(node);

        Json::Value p{Json::objectValue};
        p["mac_address"] = mac;
        p["hw_info"]["value"]["ver"] = "2";
        p["hw_info"]["value"]["rev"] = "1";
        p["hw_info"]["value"]["fw"] = "3.4.0";
        p["hw_info"]["value"]["hw"] = "0x01";
        p["fw_str"]["value"] = "3.4.0";
        char sf_addr[8];
        std::snprintf(sf_addr, sizeof sf_addr, "%04X", (node_id % 0xFFFF) + 1);
        p["sf"]["value"]["addr"] = sf_addr;
        p["sf"]["value"]["sfd"] = 1;
        p["al_bs"]["value"] = Json::Value{Json::arrayValue};
        p["tdoa_schedule"]["value"] = Json::Value{Json::arrayValue};
        parameters.append(p);

        int& count = anchors_in_project[where.project];
        if (count == 0)
            first_anchor[where.project] = anchor["uid"].asString();
        if (count < 2)
            settings[settings_index[where.project]]["values"]["masters"].append(
                Json::Value{Json::objectValue})["anchor_uid"] = anchor["uid"];
        char line[160];
        std::snprintf(line, sizeof line, "%d,%s,%s,%d,0,2,0,10\r\n", count + 1,
                      anchor["uid"].asCString(), first_anchor[where.project].c_str(), count % 64);
        schedule_content[where.project] += line;
        ++count;
    }
    for (const auto& [project, index] : settings_index) {
        (void)index;
        Json::Value schedule{Json::objectValue};
        schedule["uid"] = project + "-schedule";
        schedule["name"] = "Schedule of " + project;
        schedule["project_uid"] = project;
        schedule["content"] = "# number,src,dst,slot,section,dimension,edge type,margin\r\n" + schedule_content[project];
        schedules.append(schedule);
    }

    for (int t = 0; t < size.trackables; ++t) {
        const place& where = sublocations[static_cast<std::size_t>(t) % sublocations.size()];
        const std::string mac = generated_tag_mac(t);
        Json::Value trackable{Json::objectValue};
        trackable["uid"] = "trackable-" + std::to_string(t + 1);
        trackable["name"] = "Tag " + std::to_string(t + 1);
        trackable["project_uid"] = where.project;
        trackable["company_uid"] = where.company;
        trackable["node"]["mac_address"] = mac;
        trackable["position"]["sl_id"] = where.sublocation;
        trackables.append(trackable);

        Json::Value node{Json::objectValue};
        node["mac_address"] = mac;
        node["node_id"] = size.anchors + t + 1;
        node["uid"] = "node-" + mac;
        node["name"] = trackable["name"];
        node["project_uid"] = where.project;
        node["company_uid"] = where.company;
        node["parent_mac_address"] = "";
        node["status"]["low_bat"] = false;
        nodes.append(node);

        Json::Value p{Json::objectValue};
        p["mac_address"] = mac;
        p["hw_info"]["value"]["ver"] = "1";
        p["hw_info"]["value"]["rev"] = "0";
        p["hw_info"]["value"]["fw"] = "2.0.1";
        p["hw_info"]["value"]["hw"] = "0x20";
        p["bat"]["value"]["mv"] = 3000 + t % 700;
        p["bat"]["value"]["pr"] = 20 + t % 80;
        parameters.append(p);
    }
    return site;
}

} // namespace orv::standins
