-- A session with Zephyrine as LV2 and as VST3, each on a track of its own;
-- the VST3 one gets two parameters changed. Rolls a second, saves.
AudioEngine:set_backend ("None (Dummy)", "", "")
AudioEngine:set_sample_rate (48000)
assert (AudioEngine:start (false) == 0, "the Dummy backend does not start")
assert (create_session (arg[1], "zephyrine", 48000), "no session")

for _, kind in ipairs ({ { ARDOUR.PluginType.LV2, "LV2" }, { ARDOUR.PluginType.VST3, "VST3" } }) do
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

Session:request_roll (ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep (1000000)
assert (Session:transport_rolling (), "the transport does not roll")
print ("played to sample " .. Session:transport_sample ())
Session:request_stop (false, false, ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep (200000)
Session:save_state ("", false, false, false, false, false)
close_session ()
