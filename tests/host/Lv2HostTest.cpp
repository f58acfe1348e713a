// Loads the built LV2 bundle with lilv, the reference LV2 host library, and runs audio through it with the
// features a real LV2 host provides (URID map, options with the block size, bounded block length).
#include <gtest/gtest.h>

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/patch/patch.h>
#include <lv2/urid/urid.h>

#include <chrono>
#include <cmath>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;
constexpr int kBlock = 512;
const char* const kUri = "https://vidizaridaza.com/plugins/vivera";

struct UridMap
{
    std::map<std::string, LV2_URID> ids;

    static LV2_URID map(LV2_URID_Map_Handle handle, const char* uri)
    {
        auto& ids = static_cast<UridMap*>(handle)->ids;
        const auto found = ids.find(uri);
        if (found != ids.end())
            return found->second;
        const auto id = static_cast<LV2_URID>(ids.size() + 1);
        ids.emplace(uri, id);
        return id;
    }
};

class Lv2Host : public testing::Test
{
protected:
    void SetUp() override
    {
        world = lilv_world_new();
        const std::string bundle = "file://" + std::string(VIVERA_LV2_BUNDLE) + "/";
        LilvNode* bundleNode = lilv_new_uri(world, bundle.c_str());
        lilv_world_load_bundle(world, bundleNode);
        lilv_node_free(bundleNode);

        LilvNode* uri = lilv_new_uri(world, kUri);
        plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
        lilv_node_free(uri);
        ASSERT_NE(plugin, nullptr) << "no plug-in " << kUri << " in " << bundle;
    }

    void TearDown() override
    {
        freeInstance();
        lilv_world_free(world);
    }

    // Frees the instance as a host does and forgets its port buffers, so the next instantiate starts clean.
    void freeInstance()
    {
        if (instance == nullptr)
            return;
        lilv_instance_deactivate(instance);
        lilv_instance_free(instance);
        instance = nullptr;
        audioIn.clear();
        audioOut.clear();
        atomPorts.clear();
    }

    void instantiate()
    {
        urid.map = &UridMap::map;
        urid.handle = &uridMap;
        const LV2_URID intType = UridMap::map(&uridMap, LV2_ATOM__Int);
        options = {
            {LV2_OPTIONS_INSTANCE, 0, UridMap::map(&uridMap, LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t),
             intType, &maxBlock},
            {LV2_OPTIONS_INSTANCE, 0, UridMap::map(&uridMap, LV2_BUF_SIZE__minBlockLength), sizeof(int32_t),
             intType, &minBlock},
            {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr},
        };
        mapFeature = {LV2_URID__map, &urid};
        optionsFeature = {LV2_OPTIONS__options, options.data()};
        boundedFeature = {LV2_BUF_SIZE__boundedBlockLength, nullptr};
        const LV2_Feature* features[] = {&mapFeature, &optionsFeature, &boundedFeature, nullptr};
        instance = lilv_plugin_instantiate(plugin, kRate, features);
        ASSERT_NE(instance, nullptr);
    }

    // Connects every port: audio to buffers, control inputs to their defaults, the event ports to valid
    // empty sequences.
    void connectPorts()
    {
        LilvNode* audioClass = lilv_new_uri(world, LV2_CORE__AudioPort);
        LilvNode* controlClass = lilv_new_uri(world, LV2_CORE__ControlPort);
        LilvNode* inputClass = lilv_new_uri(world, LV2_CORE__InputPort);
        LilvNode* atomClass = lilv_new_uri(world, LV2_ATOM__AtomPort);

        const uint32_t count = lilv_plugin_get_num_ports(plugin);
        controls.assign(count, 0.0f);
        atomBuffers.assign(count, std::vector<uint64_t>(1024, 0));
        for (uint32_t index = 0; index < count; ++index)
        {
            const LilvPort* port = lilv_plugin_get_port_by_index(plugin, index);
            const bool isInput = lilv_port_is_a(plugin, port, inputClass);
            if (lilv_port_is_a(plugin, port, audioClass))
            {
                auto& buffers = isInput ? audioIn : audioOut;
                buffers.emplace_back(kBlock, 0.0f);
                lilv_instance_connect_port(instance, index, buffers.back().data());
            }
            else if (lilv_port_is_a(plugin, port, controlClass))
            {
                LilvNode* defaultValue = nullptr;
                lilv_port_get_range(plugin, port, &defaultValue, nullptr, nullptr);
                controls[index] = defaultValue != nullptr ? lilv_node_as_float(defaultValue) : 0.0f;
                lilv_node_free(defaultValue);
                const std::string symbol = lilv_node_as_string(lilv_port_get_symbol(plugin, port));
                if (symbol == "latency")
                    latencyPort = index;
                lilv_instance_connect_port(instance, index, &controls[index]);
            }
            else if (lilv_port_is_a(plugin, port, atomClass))
            {
                auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(atomBuffers[index].data());
                atomPorts.push_back({sequence, isInput});
                lilv_instance_connect_port(instance, index, sequence);
            }
        }
        lilv_node_free(audioClass);
        lilv_node_free(controlClass);
        lilv_node_free(inputClass);
        lilv_node_free(atomClass);
    }

    struct PlainValue
    {
        std::string uri;
        float value;
    };

    // Runs one block. A parameter change, if given, is sent as a patch:Set message the way hosts set
    // LV2 parameters: the parameter's URI and its plain value.
    void run(const char* parameterId = nullptr, float plainValue = 0.0f)
    {
        std::vector<PlainValue> changes;
        if (parameterId != nullptr)
            changes.push_back({std::string(kUri) + ":" + parameterId, plainValue});
        run(changes);
    }

    // Runs one block with a patch:Set message for each change.
    void run(const std::vector<PlainValue>& changes)
    {
        for (auto& [sequence, isInput] : atomPorts)
        {
            if (!isInput)
            {
                sequence->atom.type = UridMap::map(&uridMap, LV2_ATOM__Chunk);
                sequence->atom.size = 1024 * sizeof(uint64_t) - sizeof(LV2_Atom);
                continue;
            }
            LV2_Atom_Forge forge;
            lv2_atom_forge_init(&forge, &urid);
            lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(sequence), 1024 * sizeof(uint64_t));
            LV2_Atom_Forge_Frame sequenceFrame;
            lv2_atom_forge_sequence_head(&forge, &sequenceFrame, 0);
            for (const auto& change : changes)
            {
                lv2_atom_forge_frame_time(&forge, 0);
                LV2_Atom_Forge_Frame objectFrame;
                lv2_atom_forge_object(&forge, &objectFrame, 0, UridMap::map(&uridMap, LV2_PATCH__Set));
                lv2_atom_forge_key(&forge, UridMap::map(&uridMap, LV2_PATCH__property));
                lv2_atom_forge_urid(&forge, UridMap::map(&uridMap, change.uri.c_str()));
                lv2_atom_forge_key(&forge, UridMap::map(&uridMap, LV2_PATCH__value));
                lv2_atom_forge_float(&forge, change.value);
                lv2_atom_forge_pop(&forge, &objectFrame);
            }
            lv2_atom_forge_pop(&forge, &sequenceFrame);
        }
        lilv_instance_run(instance, kBlock);
    }

    // Every parameter the plug-in declares writable, with its plain range.
    struct ParameterRange
    {
        std::string uri;
        float minimum, maximum;
    };
    std::vector<ParameterRange> writableParameters()
    {
        LilvNode* writable = lilv_new_uri(world, LV2_PATCH__writable);
        LilvNode* minimumKey = lilv_new_uri(world, LV2_CORE__minimum);
        LilvNode* maximumKey = lilv_new_uri(world, LV2_CORE__maximum);
        LilvNodes* uris = lilv_plugin_get_value(plugin, writable); // also loads the plug-in's data
        std::vector<ParameterRange> ranges;
        LILV_FOREACH(nodes, i, uris)
        {
            const LilvNode* uri = lilv_nodes_get(uris, i);
            LilvNode* minimum = lilv_world_get(world, uri, minimumKey, nullptr);
            LilvNode* maximum = lilv_world_get(world, uri, maximumKey, nullptr);
            if (minimum != nullptr && maximum != nullptr)
                ranges.push_back(
                    {lilv_node_as_uri(uri), lilv_node_as_float(minimum), lilv_node_as_float(maximum)});
            lilv_node_free(minimum);
            lilv_node_free(maximum);
        }
        lilv_nodes_free(uris);
        lilv_node_free(writable);
        lilv_node_free(minimumKey);
        lilv_node_free(maximumKey);
        return ranges;
    }

    std::vector<float> runSine(int blocks, std::vector<float>* input = nullptr)
    {
        std::vector<float> output;
        for (int b = 0; b < blocks; ++b)
        {
            for (int i = 0; i < kBlock; ++i)
            {
                const int n = static_cast<int>(samplesRun++);
                const float x = 0.3f * static_cast<float>(std::sin(2.0 * M_PI * 196.0 * n / kRate));
                audioIn[0][size_t(i)] = audioIn[1][size_t(i)] = x;
                if (input != nullptr)
                    input->push_back(x);
            }
            run();
            output.insert(output.end(), audioOut[0].begin(), audioOut[0].end());
        }
        return output;
    }

    LilvWorld* world = nullptr;
    const LilvPlugin* plugin = nullptr;
    LilvInstance* instance = nullptr;
    UridMap uridMap;
    LV2_URID_Map urid{};
    int32_t maxBlock = kBlock;
    int32_t minBlock = 1;
    std::vector<LV2_Options_Option> options;
    LV2_Feature mapFeature{}, optionsFeature{}, boundedFeature{};
    std::vector<std::vector<float>> audioIn, audioOut;
    std::vector<float> controls;
    std::vector<std::vector<uint64_t>> atomBuffers;
    std::vector<std::pair<LV2_Atom_Sequence*, bool>> atomPorts;
    uint32_t latencyPort = UINT32_MAX;
    long samplesRun = 0;
};

TEST_F(Lv2Host, DelaysAudioByTheLatencyItReports)
{
    LilvNode* name = lilv_plugin_get_name(plugin); // a copy, owned by the caller
    EXPECT_EQ(std::string(lilv_node_as_string(name)), "Vivera");
    lilv_node_free(name);
    instantiate();
    connectPorts();
    ASSERT_EQ(audioIn.size(), 4u); // main stereo and sidechain stereo
    ASSERT_EQ(audioOut.size(), 2u);
    ASSERT_NE(latencyPort, UINT32_MAX);
    lilv_instance_activate(instance);

    std::vector<float> input;
    const auto output = runSine(40, &input);

    const int latency = static_cast<int>(controls[latencyPort]);
    EXPECT_EQ(latency, 4800);
    for (size_t n = 0; n < output.size(); ++n)
    {
        const float expected = n >= size_t(latency) ? input[n - size_t(latency)] : 0.0f;
        ASSERT_NEAR(output[n], expected, 1e-6f) << "sample " << n;
    }
}
TEST_F(Lv2Host, ChoiceParametersTakeTheItemIndexHostsSend)
{
    instantiate();
    connectPorts();
    lilv_instance_activate(instance);
    runSine(4);

    // "Side" is item 2 of "Monitor Channel"; with identical channels the Side signal is silence.
    run("mon_ch", 2.0f);
    const auto output = runSine(20);
    float late = 0.0f;
    for (size_t n = 2048; n < output.size(); ++n)
        late = std::max(late, std::abs(output[n]));
    EXPECT_EQ(late, 0.0f);
}

TEST_F(Lv2Host, SidechainPortsAreMarkedSoHostsCanRouteThem)
{
    // Hosts offer a sidechain only for inputs marked as one; the main inputs stay plain.
    LilvNode* sideChain = lilv_new_uri(world, "http://lv2plug.in/ns/lv2core#isSideChain");
    LilvNode* audioClass = lilv_new_uri(world, LV2_CORE__AudioPort);
    LilvNode* inputClass = lilv_new_uri(world, LV2_CORE__InputPort);
    std::vector<bool> marked;
    for (uint32_t index = 0; index < lilv_plugin_get_num_ports(plugin); ++index)
    {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, index);
        if (lilv_port_is_a(plugin, port, audioClass) && lilv_port_is_a(plugin, port, inputClass))
            marked.push_back(lilv_port_has_property(plugin, port, sideChain));
    }
    lilv_node_free(sideChain);
    lilv_node_free(audioClass);
    lilv_node_free(inputClass);
    EXPECT_EQ(marked, (std::vector<bool>{false, false, true, true}));
}

TEST_F(Lv2Host, SidechainPitchFollowsTheSidechainPorts)
{
    // Band 1, a narrow +12 dB bell, on the pitch; the main input is a 440 Hz sine. With "Sidechain Pitch"
    // on, the band sits on the sidechain's pitch: on 440 Hz it boosts the sine, on 220 Hz it leaves it alone.
    const struct
    {
        double sidechainPitch;
        double expectedGainDb;
    } cases[] = {{440.0, 12.0}, {220.0, 0.0}};
    for (const auto& c : cases)
    {
        freeInstance();
        instantiate();
        connectPorts();
        lilv_instance_activate(instance);
        run("sc", 1.0f);
        run("lookahead", 0.0f);
        run("auto_gain", 0.0f);
        run("b1_gain", 12.0f);
        run("b1_q", 10.0f);
        double inputPower = 0.0, outputPower = 0.0;
        for (int b = 0; b < 200; ++b)
        {
            for (int i = 0; i < kBlock; ++i)
            {
                const double t = double(b * kBlock + i) / kRate;
                const float x = 0.1f * static_cast<float>(std::sin(2.0 * M_PI * 440.0 * t));
                float sidechain = 0.0f;
                for (int h = 1; h <= 6; ++h)
                    sidechain +=
                        0.3f / float(h) * static_cast<float>(std::sin(2.0 * M_PI * c.sidechainPitch * h * t));
                audioIn[0][size_t(i)] = audioIn[1][size_t(i)] = x;
                audioIn[2][size_t(i)] = audioIn[3][size_t(i)] = sidechain;
                if (b >= 100)
                    inputPower += double(x) * x;
            }
            run();
            if (b >= 100)
                for (float y : audioOut[0])
                    outputPower += double(y) * y;
        }
        EXPECT_NEAR(10.0 * std::log10(outputPower / inputPower), c.expectedGainDb, 0.5) << c.sidechainPitch;
    }
}

TEST_F(Lv2Host, FreeingAnInstanceWhileItsParametersChangeIsSafe)
{
    // A host frees an instance on its own thread while the plug-in's message thread runs timers, among them
    // the one that copies changed parameter values into the saved state. Every parameter moves in the last
    // blocks before the free, so that copy has work to do at random moments of the teardown.
    const auto parameters = writableParameters();
    ASSERT_GT(parameters.size(), 300u);
    std::mt19937 random(27);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::uniform_int_distribution<int> pauseMicroseconds(0, 20000);
    constexpr size_t kChangesPerBlock = 64; // what fits the event port's buffer
    for (int round = 0; round < 60; ++round)
    {
        instantiate();
        connectPorts();
        lilv_instance_activate(instance);
        for (size_t first = 0; first < parameters.size(); first += kChangesPerBlock)
        {
            std::vector<PlainValue> changes;
            for (size_t i = first; i < std::min(first + kChangesPerBlock, parameters.size()); ++i)
                changes.push_back(
                    {parameters[i].uri,
                     parameters[i].minimum + unit(random) * (parameters[i].maximum - parameters[i].minimum)});
            run(changes);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(pauseMicroseconds(random)));
        freeInstance();
    }
}
} // namespace
