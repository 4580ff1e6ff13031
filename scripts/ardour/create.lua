-- A session with Zephyrine as LV2 and as VST3, each on a track of its own,
-- and a second LV2 one on the track "Preset". Both preset menus must list
-- every factory sound; the "Preset" one takes Glass Pad, the VST3 one gets
-- two parameters changed. Rolls a second, saves.
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


-- Ardour's preset menus: every factory sound is in both, and the LV2 one
-- takes Glass Pad.
local function presets_of (route)
	local processor = Session:route_by_name (route):nth_plugin (0)
	return processor, processor:to_insert ():plugin (0)
end
for _, route in ipairs ({ "Preset", "VST3" }) do
	local _, plugin = presets_of (route)
	local count = 0
	for line in io.lines (os.getenv ("ZEPHYRINE_FACTORY")) do
		local name = line:match ("^([^#|][^|]-)%s*|")
		if name then
			assert (plugin:preset_by_label (name), route .. ": Ardour lists no preset " .. name)
			count = count + 1
		end
	end
	print (route .. ": Ardour lists all " .. count .. " factory sounds as presets")
end
local _, lv2 = presets_of ("Preset")
assert (lv2:load_preset (lv2:preset_by_label ("Glass Pad")), "the LV2 preset does not load")
-- (A VST3 program chosen here, then parameter changes, does not survive a
-- reload: Ardour selects the program again before restoring the state and
-- replays the values that selection announced after it. Not checked until
-- that is mended.)
local vst3 = presets_of ("VST3")
assert (ARDOUR.LuaAPI.set_processor_param (vst3, 0, 0.8) and ARDOUR.LuaAPI.set_processor_param (vst3, 16, 0))

Session:request_roll (ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep (1000000)
assert (Session:transport_rolling (), "the transport does not roll")
print ("played to sample " .. Session:transport_sample ())
Session:request_stop (false, false, ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep (200000)
Session:save_state ("", false, false, false, false, false)
close_session ()
