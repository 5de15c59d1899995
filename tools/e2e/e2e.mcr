<?xml version="1.0" encoding="UTF-8"?>
<group>
	<items name="E2E">
		<item code="4" name="A" state="0" delay="0" />
		<item code="4" name="A" state="1" delay="0" />
		<item code="5" name="B" state="0" delay="37" />
		<item code="5" name="B" state="1" delay="3037" />
		<item code="6" name="C" state="0" delay="74" />
		<item code="6" name="C" state="1" delay="74" />
		<item code="7" name="D" state="0" delay="111" />
		<item code="7" name="D" state="1" delay="3111" />
		<item code="8" name="E" state="0" delay="148" />
		<item code="8" name="E" state="1" delay="148" />
		<item code="9" name="F" state="0" delay="185" />
		<item code="9" name="F" state="1" delay="3185" />
		<item code="10" name="G" state="0" delay="222" />
		<item code="10" name="G" state="1" delay="222" />
		<item code="11" name="H" state="0" delay="259" />
		<item code="11" name="H" state="1" delay="3259" />
		<item code="12" name="I" state="0" delay="296" />
		<item code="12" name="I" state="1" delay="296" />
		<item code="13" name="J" state="0" delay="333" />
		<item code="13" name="J" state="1" delay="3333" />
		<item code="14" name="K" state="0" delay="370" />
		<item code="14" name="K" state="1" delay="370" />
		<item code="15" name="L" state="0" delay="7" />
		<item code="15" name="L" state="1" delay="3007" />
		<item code="16" name="M" state="0" delay="44" />
		<item code="16" name="M" state="1" delay="44" />
		<item code="17" name="N" state="0" delay="81" />
		<item code="17" name="N" state="1" delay="3081" />
		<item code="18" name="O" state="0" delay="118" />
		<item code="18" name="O" state="1" delay="118" />
		<item code="19" name="P" state="0" delay="155" />
		<item code="19" name="P" state="1" delay="3155" />
		<item code="20" name="Q" state="0" delay="192" />
		<item code="20" name="Q" state="1" delay="192" />
		<item code="21" name="R" state="0" delay="229" />
		<item code="21" name="R" state="1" delay="3229" />
		<item code="22" name="S" state="0" delay="266" />
		<item code="22" name="S" state="1" delay="266" />
		<item code="23" name="T" state="0" delay="303" />
		<item code="23" name="T" state="1" delay="3303" />
	</items>
	<items name="Short">
		<item code="224" name="Ctrl Left" state="0" delay="10" />
		<item code="6" name="C" state="0" delay="10" />
		<item code="6" name="C" state="1" delay="10" />
		<item code="224" name="Ctrl Left" state="1" delay="0" />
	</items>
</group>
