-- A session with Zephyrine as LV2 and as VST3, each on a track of its own,
-- and a third LV2 one on the track "Preset"; the VST3 one gets two
-- parameters changed, the third one a factory preset and then a turn of its
-- volume. Rolls a second, saves.
AudioEngine:set_backend ("None (Dummy)", "", "")
AudioEngine:set_sample_rate (48000)
assert (AudioEngine:start (false) == 0, "the Dummy backend does not start")
assert (create_session (arg[1], "zephyrine", 48000), "no session")

for _, kind in ipairs ({ { ARDOUR.PluginType.LV2, "LV2" }, { ARDOUR.PluginType.VST3, "VST3" }, { ARDOUR.PluginType.LV2, "Preset" } }) do
	local id
	for info in ARDOUR.LuaAPI.list_plugins ():iter () do
		if info.name == "Zephyrine" and info.type == kind[1] then id = info.unique_id end
	end
	assert (id, "Ardour does not list Zephyrine as " .. kind[2])
	local track = Session:new_audio_track (1, 2, nil, 1, kind[2], ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true):front ()
	local plugin = ARDOUR.LuaAPI.new_plugin (Session, id, kind[1], "")
	assert (not plugin:isnil (), "Ardour cannot make the " .. kind[2] .. " plug-in")
	assert (track:add_processor_by_index (plugin, 0, nil, true) == 0, "cannot insert the " .. kind[2] .. " plug-in")
	print ("loaded " .. kind[2] .. " " .. id)
end

local vst3 = Session:route_by_name ("VST3"):nth_plugin (0)
assert (ARDOUR.LuaAPI.set_processor_param (vst3, 0, 0.8) and ARDOUR.LuaAPI.set_processor_param (vst3, 16, 0))

-- Ardour's preset menu: every factory sound is there, and choosing one
-- changes the knobs; then the volume is turned after it.
local preset = Session:route_by_name ("Preset"):nth_plugin (0)
local insert = preset:to_insert ():plugin (0)
local count = 0
for _ in insert:get_presets ():iter () do count = count + 1 end
print ("Ardour lists " .. count .. " presets")
assert (count >= 33, "Ardour lists " .. count .. " presets")
local glass = insert:preset_by_label ("Glass Pad")
assert (glass, "no preset called Glass Pad")
assert (insert:load_preset (glass), "the preset does not load")
ARDOUR.LuaAPI.usleep (200000)
local decay = ARDOUR.LuaAPI.get_processor_param (preset, 9, true)
print ("after Glass Pad, Amp D is " .. decay)
assert (math.abs (decay - 0.8) < 1e-6, "the preset did not change the sound")
assert (ARDOUR.LuaAPI.set_processor_param (preset, 12, 0.05))

Session:request_roll (ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep (1000000)
assert (Session:transport_rolling (), "the transport does not roll")
print ("played to sample " .. Session:transport_sample ())
Session:request_stop (false, false, ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep (200000)
Session:save_state ("", false, false, false, false, false)
close_session ()
